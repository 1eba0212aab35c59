#pragma once

#include <QString>
#include <QUrl>

namespace velcaro::rtf::test {

// What the web engine puts on the clipboard for a select-all + copy of a page.
struct EngineCopy {
    bool ok = false;
    QString html;
    QString text;
};

// Loads the page at `url` in a shown, focused QWebEngineView, selects all, copies and waits
// for the clipboard to change (at most `timeoutMs`).
EngineCopy copyPageInEngine(const QUrl& url, int timeoutMs = 60000);
// The same for the local file at `path`.
EngineCopy copyPageInEngine(const QString& path, int timeoutMs = 60000);

} // namespace velcaro::rtf::test
