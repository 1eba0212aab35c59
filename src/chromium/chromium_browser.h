#pragma once

#include "chromium/clipboard_reader.h"
#include "chromium/copy_turns.h"
#include "chromium/devtools_pipe.h"
#include "chromium/private_folder.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QObject>
#include <QProcess>
#include <functional>
#include <sys/types.h>

class QTimer;

namespace velcaro {

// A page's steps in the browser, one debug line each ("context", "target", "set up",
// "committed", "loaded", "turn", "copied", "disposed", after the session's address), for
// bench_chromium's account of where a page's time goes; off unless enabled.
Q_DECLARE_LOGGING_CATEGORY(chromiumSteps)

// One run of the headless browser, driven over its DevTools pipe, with a profile in a private
// temporary folder removed at the end.
//
// It never runs as root: as root it runs as `nobody`, the folder given to that user. It runs in
// a process group of its own (a Ctrl+C at the terminal is the program's to handle), and it
// and every process it started end with the program, also when the program is killed: the
// kernel kills the browser when its parent ends, and its zygotes and page processes follow it.
class ChromiumBrowser : public QObject {
    Q_OBJECT
public:
    ChromiumBrowser(const QString& program, bool sandbox, QObject* parent = nullptr);
    // Kills the browser's process group, then removes its folder.
    ~ChromiumBrowser() override;

    // Starts it: started() or failedToStart() follows.
    void start();
    // Asks it to close, kills it if it has not ended within kCloseWaitMs, and then deletes
    // this.
    void close();

    bool running() const { return running_; }
    bool sandboxed() const { return sandbox_; }
    qint64 processId() const { return process_.processId(); }
    // "Chromium 156.0.8078.129", and the user agent of its pages, once started.
    QString product() const { return product_; }
    QString userAgent() const { return userAgent_; }

    DevToolsPipe& pipe() { return pipe_; }
    CopyTurns& copyTurns() { return copyTurns_; }
    // Where the pages' copies are read, once started.
    ClipboardReader& clipboardReader() { return clipboardReader_; }

    // The browser's own events about the context `contextId` go to `handler` while `receiver`
    // lives: a page target attached in it (Target.attachedToTarget), and the documents its
    // main frame asks for (Fetch.requestPaused, answered to the browser). Targets of no known
    // context are let run and left, and their requests go on.
    using ContextHandler = std::function<void(const QString& method, const QJsonObject& params)>;
    void watchContext(const QString& contextId, QObject* receiver, ContextHandler handler);
    void forgetContext(const QString& contextId);

    // Whether one of its processes reported a page out of memory within the last `ms`.
    bool reportedOutOfMemory(qint64 ms) const;

    static constexpr int kStartWaitMs = 30000;
    static constexpr int kCloseWaitMs = 3000;

signals:
    void started();
    // It did not start: `why` in Italian; `endedAtStart` when it ran and ended at once (a
    // sandbox that cannot start).
    void failedToStart(const QString& why, bool endedAtStart);
    // It ended after it had started (it crashed, or was killed).
    void ended();

private:
    QStringList arguments() const;
    void configureChild();
    void readErrors();
    void browserEvent(const QString& method, const QJsonObject& params);
    void fail(const QString& why, bool endedAtStart);
    void killGroup();

    QString program_;
    bool sandbox_;
    // Declared first, removed last: after the process is reaped.
    PrivateFolder folder_;
    DevToolsPipe pipe_;
    QProcess process_;
    CopyTurns copyTurns_;
    ClipboardReader clipboardReader_{*this};
    QTimer* startWait_ = nullptr;
    // The browser's process group, while it has one.
    pid_t groupId_ = 0;
    bool running_ = false;
    bool over_ = false;
    QString product_;
    QString userAgent_;
    QByteArray errorLine_;
    QElapsedTimer sinceOutOfMemory_;

    struct Watch {
        QPointer<QObject> receiver;
        ContextHandler handler;
    };
    QHash<QString, Watch> contexts_;
    // The context of each page target attached in a watched one.
    QHash<QString, QString> pageContexts_;
};

} // namespace velcaro
