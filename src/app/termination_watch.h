#pragma once

#include <QSocketNotifier>
#include <QtGlobal>
#include <functional>
#include <memory>

namespace velcaro {

// While it lives, runs `beforeEnd` once when the program is ended from outside:
// - at SIGTERM and SIGHUP (the session ends, the user or the system stops the program), from
//   the event loop: the signal handler only writes to a socket that a QSocketNotifier watches.
//   The signal then ends the process as it would have without the watch;
// - when the connection to the display is lost: Qt's X11 and Wayland platforms say so in a
//   warning ("The X11 connection broke", "The Wayland connection broke") and end the process
//   right after it; `beforeEnd` runs as the warning is logged, before it is passed on.
// SIGKILL cannot be watched. One watch at a time.
class TerminationWatch {
public:
    explicit TerminationWatch(std::function<void()> beforeEnd);
    ~TerminationWatch();
    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

private:
    void signalArrived();
    static void logged(QtMsgType type, const QMessageLogContext& context, const QString& message);
    void end();

    std::function<void()> beforeEnd_;
    bool ended_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
    QtMessageHandler previousHandler_;
};

} // namespace velcaro
