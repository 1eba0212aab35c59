#include "qt/web_engine/qt_page_copier.h"

#include "page_scripts/page_scripts.h"
#include "platform/velcaro_error.h"
#include "qt/web_engine/qt_focus_lender.h"
#include "qt/web_engine/qt_our_world.h"
#include "qt/web_engine/qt_selection_copy.h"

#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QWebEngineView>

namespace velcaro {

void QtPageCopier::releaseFocus(QWebEngineView& view) {
    mainRanges_ = 0;
    const QVariant measures =
        runInOurWorld(*view.page(), page_scripts::releaseFocus(), kScriptWaitMs);
    copyWaitMs_ = page_scripts::copyWaitMs(measures);
    pageHasText_ = page_scripts::measuredText(measures);
}

void QtPageCopier::selectAll(QWebEngineView& view) {
    QtFocusLender lend(view);
    QPointer<QWebEngineView> alive(&view);
    releaseFocus(view);
    if (alive)
        view.triggerPageAction(QWebEnginePage::SelectAll);
}

bool QtPageCopier::selectMainText(QWebEngineView& view) {
    QtFocusLender lend(view);
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
        appendCopy(*QGuiApplication::clipboard()->mimeData(), text, html);
    }
    auto* whole = new QMimeData;
    whole->setText(text);
    whole->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(whole);
}

void QtPageCopier::copySelection(QWebEngineView& view) {
    QPointer<QWebEngineView> alive(&view);
    QtFocusLender lend(view);
    // The copy follows the selection (select-all, or a main-text range) on the same channel to
    // the page, so it copies what was selected.
    bool copied = false;
    bool answered = false;
    QEventLoop loop;
    copyPageSelection(*view.page(), copyWaitMs_, &loop, [&](bool c) {
        copied = c;
        answered = true;
        loop.quit();
    });
    if (!answered) {
        QObject::connect(&view, &QObject::destroyed, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!alive)
        throw VelcaroError(error::kCopyFailed,
                           QStringLiteral("La copia della pagina negli appunti non è riuscita."));
    // A page with no text leaves nothing to copy; one with text whose copy never came was too
    // slow or too busy to give it.
    if (!copied && pageHasText_)
        throw VelcaroError(error::kCopyFailed,
                           QStringLiteral("La copia della pagina non è finita entro %1 s.")
                               .arg((copyWaitMs_ + 999) / 1000));
    if (!copied)
        throw VelcaroError(error::kCopyFailed,
                           QStringLiteral("La pagina non ha testo da copiare."));
}

void QtPageCopier::clearSelection(QWebEngineView& view) {
    QtFocusLender lend(view);
    mainRanges_ = 0;
    view.triggerPageAction(QWebEnginePage::Unselect);
}

} // namespace velcaro
