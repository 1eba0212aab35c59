#include "qt/web_engine/qt_session_copy.h"

#include "page_scripts/page_scripts.h"
#include "qt/web_engine/qt_our_world.h"
#include "qt/web_engine/qt_page_copier.h"
#include "qt/web_engine/qt_selection_copy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QWebEngineView>

namespace velcaro {
namespace {

// The view's window made the active one, where the focus can go: another window of the
// program (one shown after it) may have taken that.
QWidget& activated(QWidget& view) {
    if (!view.isActiveWindow())
        view.activateWindow();
    return view;
}

} // namespace

QtSessionCopy::QtSessionCopy(QWebEngineView& view, PageSession::Scope scope,
                             std::function<void(const PageCopy&)> done)
    : view_(view), focus_(activated(view)), done_(std::move(done)) {
    askInOurWorld(*view_.page(), page_scripts::releaseFocus(), page_scripts::kMeasureWaitMs, this,
                  [this, scope](const QVariant& measures) { measured(measures, scope); });
}

void QtSessionCopy::measured(const QVariant& measures, PageSession::Scope scope) {
    // A page too busy to answer a few lines of script is too busy to copy.
    if (!measures.isValid()) {
        finish(PageError::CopyTimedOut);
        return;
    }
    waitMs_ = page_scripts::copyWaitMs(measures);
    hasText_ = page_scripts::measuredText(measures);
    if (scope == PageSession::Scope::WholePage) {
        copyWholePage();
        return;
    }
    // The finder keeps its ranges in our world, where each is then selected and copied.
    askInOurWorld(*view_.page(),
                  page_scripts::mainTextFinder() + QStringLiteral("\nvelcaroMainText.find();"),
                  QtPageCopier::kFinderWaitMs, this,
                  [this](const QVariant& ranges) { mainTextFound(ranges); });
}

void QtSessionCopy::mainTextFound(const QVariant& ranges) {
    ranges_ = qBound(0, ranges.toInt(), page_scripts::kMaxMainRanges);
    if (ranges_ == 0)
        copyWholePage();
    else
        copyRanges(0);
}

void QtSessionCopy::copyRanges(int range) {
    if (range == ranges_) {
        // A main text that copies to no text at all is no main text.
        if (copy_.text.trimmed().isEmpty()) {
            copyWholePage();
            return;
        }
        copy_.mainText = true;
        finish(PageError::None);
        return;
    }
    askInOurWorld(*view_.page(), QStringLiteral("velcaroMainText.select(%1);").arg(range),
                  QtPageCopier::kScriptWaitMs, this, [this, range](const QVariant& selected) {
                      rangeSelected(range, selected.toBool());
                  });
}

void QtSessionCopy::rangeSelected(int range, bool selected) {
    // A range that shows no text is skipped: the engine would copy nothing for it.
    if (!selected) {
        copyRanges(range + 1);
        return;
    }
    copyPageSelection(*view_.page(), waitMs_, this, [this, range](bool copied) {
        if (!copied) {
            finish(missingCopy());
            return;
        }
        appendCopy(*QGuiApplication::clipboard()->mimeData(), copy_.text, copy_.html);
        copyRanges(range + 1);
    });
}

void QtSessionCopy::copyWholePage() {
    copy_.text.clear();
    copy_.html.clear();
    view_.page()->triggerAction(QWebEnginePage::SelectAll);
    copyPageSelection(*view_.page(), waitMs_, this, [this](bool copied) {
        if (!copied) {
            finish(missingCopy());
            return;
        }
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        copy_.text = data->text();
        copy_.html = data->html();
        finish(PageError::None);
    });
}

PageError QtSessionCopy::missingCopy() const {
    return hasText_ ? PageError::CopyTimedOut : PageError::NoText;
}

void QtSessionCopy::finish(PageError error) {
    if (error != PageError::None)
        copy_ = PageCopy();
    copy_.error = error;
    done_(copy_);
}

} // namespace velcaro
