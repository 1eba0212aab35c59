#pragma once

#include "app/signal_notifier.h"

#include <QMutex>
#include <QWaitCondition>
#include <QtGlobal>
#include <functional>
#include <memory>

namespace velcaro {

// While it lives, runs `beforeEnd` once when the program is ended from outside:
// - at SIGTERM and SIGHUP (the session ends, the user or the system stops the program), from
//   the event loop, through a SignalNotifier.
//   The signal then ends the process as it would have without the watch;
// - when the connection to the display is lost: Qt's X11 and Wayland platforms say so in a
//   warning ("The X11 connection broke", "The Wayland connection broke") and end the process
//   right after it; `beforeEnd` runs as the warning is logged, before it is passed on. The
//   Wayland platform's event thread may log it too and end the process from there: a warning
//   logged outside the main thread waits (at most kEndWaitMs) until `beforeEnd` has run in the
//   main thread, where it is posted.
// `beforeEnd` always runs in the main thread. SIGKILL cannot be watched. One watch at a time.
class TerminationWatch {
public:
    static constexpr int kEndWaitMs = 10000;

    explicit TerminationWatch(std::function<void()> beforeEnd);
    ~TerminationWatch();
    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

private:
    void signalArrived(int number);
    static void logged(QtMsgType type, const QMessageLogContext& context, const QString& message);
    // Runs `beforeEnd` once; in the main thread only.
    void end();
    // From another thread: has end() run in the main thread and waits until it has.
    void endFromOtherThread();

    std::function<void()> beforeEnd_;
    // Where end() is posted from other threads; a post still waiting goes with the watch.
    QObject mainThread_;
    bool ended_ = false;
    QMutex endMutex_;
    QWaitCondition endDone_;
    bool endDoneFlag_ = false;
    std::unique_ptr<SignalNotifier> signals_;
    QtMessageHandler previousHandler_;
};

} // namespace velcaro
