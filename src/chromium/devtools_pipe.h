#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <functional>

class QSocketNotifier;

namespace velcaro {

// The browser's DevTools connection over two pipes: the browser reads commands from its file
// descriptor 3 and writes answers and events to its descriptor 4, each message a JSON object
// ended by a NUL byte. No port is ever opened, so nothing else on the machine can reach the
// browser.
//
// Answers and events are delivered from the event loop, each only while the object given with
// it (its receiver) still exists: a session deleted meanwhile hears nothing more.
class DevToolsPipe : public QObject {
    Q_OBJECT
public:
    DevToolsPipe();
    ~DevToolsPipe() override;

    // Makes the two pipes; false when the system refuses.
    bool open();
    // Run in the browser's process between fork and exec: puts its ends on descriptors 3 and 4,
    // open across exec. Only async-signal-safe calls.
    void placeInChild() const;
    // Once the browser runs: closes its ends here and starts reading and writing.
    void attach();

    // The answer to a command: its result, or the browser's error message (non-empty).
    using Answer = std::function<void(const QJsonObject& result, const QString& error)>;
    // Sends `method` to the browser, or to the page attached as `sessionId`. `answer` runs with
    // the result while `receiver` lives; with an error when the browser ends first.
    void send(const QString& method, const QJsonObject& params = {}, const QString& sessionId = {},
              QObject* receiver = nullptr, Answer answer = {});

    using EventHandler = std::function<void(const QString& method, const QJsonObject& params)>;
    // The events of `sessionId` (empty: the browser's own) go to `handler` while `receiver`
    // lives; one handler a session.
    void setEventHandler(const QString& sessionId, QObject* receiver, EventHandler handler);
    void removeEventHandler(const QString& sessionId);

signals:
    // The browser closed its end (it ended), or wrote what is no DevTools message.
    void closed();

private:
    void readAvailable();
    void writeAvailable();
    void dispatch(const QByteArray& message);
    void close();

    struct Pending {
        QPointer<QObject> receiver;
        bool bound = false;
        Answer answer;
    };
    struct Handler {
        QPointer<QObject> receiver;
        EventHandler handler;
    };

    // [0] read end, [1] write end.
    int commands_[2] = {-1, -1};
    int answers_[2] = {-1, -1};
    QSocketNotifier* reader_ = nullptr;
    QSocketNotifier* writer_ = nullptr;
    QByteArray inbox_;
    QByteArray outbox_;
    int nextId_ = 1;
    QHash<int, Pending> pending_;
    QHash<QString, Handler> handlers_;
    bool closed_ = false;
};

} // namespace velcaro
