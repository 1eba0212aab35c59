#include "qt/web_engine/qt_page_copier.h"

#include "page_scripts/page_scripts.h"
#include "platform/velcaro_error.h"
#include "qt/web_engine/qt_our_world.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QWebEngineView>

namespace velcaro {
namespace {

// Gives the view the keyboard focus for the lifetime of the object, then returns it to the
// widget that had it.
class FocusLender {
public:
    explicit FocusLender(QWebEngineView& view) : previous_(QApplication::focusWidget()) {
        view.setFocus(Qt::OtherFocusReason);
    }
    ~FocusLender() {
        if (previous_)
            previous_->setFocus(Qt::OtherFocusReason);
    }

private:
    QPointer<QWidget> previous_;
};

// Runs a nested event loop until `done` turns true, the view goes away or the time is up.
template <typename Sender, typename Signal>
bool waitFor(Sender* sender, Signal signal, const std::function<bool()>& done, QWebEngineView& view,
             int timeoutMs) {
    if (done())
        return true;
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    QObject::connect(&view, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

bool holdsPageCopy(const QMimeData* data) {
    return data && (data->hasText() || data->hasHtml());
}

} // namespace

void QtPageCopier::releaseFocus(QWebEngineView& view) {
    mainRanges_ = 0;
    const QVariant measures =
        runInOurWorld(*view.page(), page_scripts::releaseFocus(), kScriptWaitMs);
    copyWaitMs_ = page_scripts::copyWaitMs(measures);
    pageHasText_ = page_scripts::measuredText(measures);
}

void QtPageCopier::selectAll(QWebEngineView& view) {
    FocusLender lend(view);
    QPointer<QWebEngineView> alive(&view);
    releaseFocus(view);
    if (alive)
        view.triggerPageAction(QWebEnginePage::SelectAll);
}

bool QtPageCopier::selectMainText(QWebEngineView& view) {
    FocusLender lend(view);
    QPointer<QWebEngineView> alive(&view);
    releaseFocus(view);
    if (!alive)
        return false;
    // The finder keeps its ranges in our world, where the copy selects them one by one.
    const QVariant ranges = runInOurWorld(
        *view.page(), page_scripts::mainTextFinder() + QStringLiteral("\nvelcaroMainText.find();"),
        kFinderWaitMs);
    mainRanges_ = qBound(0, ranges.toInt(), page_scripts::kMaxMainRanges);
    if (mainRanges_ > 0 || !alive)
        return mainRanges_ > 0;
    view.triggerPageAction(QWebEnginePage::SelectAll);
    return false;
}

void QtPageCopier::copy(QWebEngineView& view) {
    if (mainRanges_ == 0) {
        copySelection(view);
        return;
    }
    // The engine selects one range at a time: each range is selected and copied in turn, and
    // the clipboard then holds their texts, one after the other, as one copy.
    QString text;
    QString html;
    for (int i = 0; i < mainRanges_; ++i) {
        if (!runInOurWorld(*view.page(), QStringLiteral("velcaroMainText.select(%1);").arg(i),
                           kScriptWaitMs)
                 .toBool())
            continue;
        copySelection(view);
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        if (!text.isEmpty() && !copied->text().isEmpty())
            text += u'\n';
        text += copied->text();
        html += copied->html();
    }
    auto* whole = new QMimeData;
    whole->setText(text);
    whole->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(whole);
}

void QtPageCopier::copySelection(QWebEngineView& view) {
    QPointer<QWebEngineView> alive(&view);
    FocusLender lend(view);
    // The copy follows the selection (select-all, or a main-text range) on the same channel to
    // the page, so it copies what was selected. The engine's selection notice is no sign to wait
    // for: the page's process leaves it out when the text selected equals the text it last
    // reported, as on a page loaded again or on a second page with the same text. Only a change of
    // the clipboard after the copy counts: what it held before may be text.
    QClipboard* clipboard = QGuiApplication::clipboard();
    bool changed = false;
    const QMetaObject::Connection watch =
        QObject::connect(clipboard, &QClipboard::dataChanged,
                         [&] { changed = holdsPageCopy(clipboard->mimeData()); });
    view.triggerPageAction(QWebEnginePage::Copy);
    // With nothing selected the clipboard stays as it was: the wait ends with the page's.
    const bool copied = waitFor(
        clipboard, &QClipboard::dataChanged, [&] { return changed; }, view, copyWaitMs_);
    QObject::disconnect(watch);
    if (!alive)
        throw VelcaroError(error::kCopyFailed,
                           QStringLiteral("La copia della pagina negli appunti non è riuscita."));
    // A page with no text leaves nothing to copy; one with text whose copy never came was too
    // slow or too busy to give it.
    if (!copied && pageHasText_)
        throw VelcaroError(error::kCopyTimedOut,
                           QStringLiteral("La copia della pagina non è finita entro %1 s.")
                               .arg((copyWaitMs_ + 999) / 1000));
    if (!copied)
        throw VelcaroError(error::kCopyFailed,
                           QStringLiteral("La pagina non ha testo da copiare."));
}

void QtPageCopier::clearSelection(QWebEngineView& view) {
    FocusLender lend(view);
    mainRanges_ = 0;
    view.triggerPageAction(QWebEnginePage::Unselect);
}

} // namespace velcaro
