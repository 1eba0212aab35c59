#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QJsonObject;

namespace velcaro {

class ChromiumBrowser;

// The page of ours that reads the browser's clipboard, where the pages' copies land. A page at
// a plain http address is no secure context and has no clipboard to read, so the copy is read
// here: at an https address whose one request is answered by us (nothing reaches the network),
// in a browser context of its own, with the permission to read the clipboard, which no captured
// page is given.
class ClipboardReader : public QObject {
    Q_OBJECT
public:
    explicit ClipboardReader(ChromiumBrowser& browser);

    // Opens the page; `ready` runs once it has loaded (true) or did not within kOpenWaitMs.
    void open(std::function<void(bool loaded)> ready);
    // The page's DevTools session, where the clipboard's scripts run.
    QString sessionId() const { return sessionId_; }

    static constexpr int kOpenWaitMs = 10000;

private:
    void contextEvent(const QString& method, const QJsonObject& params);
    void ready(bool loaded);

    ChromiumBrowser& browser_;
    QString sessionId_;
    std::function<void(bool)> ready_;
};

} // namespace velcaro
