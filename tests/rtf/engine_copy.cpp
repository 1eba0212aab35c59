#include "engine_copy.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace velcaro::rtf::test {

EngineCopy copyPageInEngine(const QUrl& url, int timeoutMs) {
    EngineCopy result;
    QWebEngineView view;
    view.resize(1000, 700);
    view.show();
    view.setFocus();
    QEventLoop loop;
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    QObject::connect(&view, &QWebEngineView::loadFinished, &loop, [&](bool ok) {
        if (!ok) {
            loop.quit();
            return;
        }
        view.setFocus();
        view.page()->triggerAction(QWebEnginePage::SelectAll);
        view.page()->triggerAction(QWebEnginePage::Copy);
    });
    QObject::connect(clipboard, &QClipboard::dataChanged, &loop, [&] {
        const QMimeData* data = clipboard->mimeData();
        if (!data || !data->hasHtml())
            return;
        result.html = data->html();
        result.text = data->text();
        result.ok = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    view.load(url);
    loop.exec();
    return result;
}

EngineCopy copyPageInEngine(const QString& path, int timeoutMs) {
    return copyPageInEngine(QUrl::fromLocalFile(path), timeoutMs);
}

} // namespace velcaro::rtf::test
