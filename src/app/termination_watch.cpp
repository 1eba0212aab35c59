#include "app/termination_watch.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace velcaro {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP};

// The write end is the signal handler's, the read end the notifier's.
int signalSocket[2] = {-1, -1};
TerminationWatch* watch = nullptr;

extern "C" void onSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalSocket[0], &byte, 1);
}

bool displayLost(const QString& message) {
    return message.startsWith(QLatin1String("The X11 connection broke")) ||
           message.startsWith(QLatin1String("The Wayland connection"));
}

} // namespace

TerminationWatch::TerminationWatch(std::function<void()> beforeEnd)
    : beforeEnd_(std::move(beforeEnd)) {
    watch = this;
    previousHandler_ = qInstallMessageHandler(logged);
    if (signalSocket[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSocket) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(signalSocket[1], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { signalArrived(); });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals)
        sigaction(number, &action, nullptr);
}

TerminationWatch::~TerminationWatch() {
    for (int number : kSignals)
        std::signal(number, SIG_DFL);
    qInstallMessageHandler(previousHandler_);
    watch = nullptr;
}

void TerminationWatch::end() {
    if (ended_)
        return;
    ended_ = true;
    beforeEnd_();
    const QMutexLocker lock(&endMutex_);
    endDoneFlag_ = true;
    endDone_.wakeAll();
}

void TerminationWatch::endFromOtherThread() {
    QMetaObject::invokeMethod(
        &mainThread_, [this] { end(); }, Qt::QueuedConnection);
    QMutexLocker lock(&endMutex_);
    QDeadlineTimer deadline(kEndWaitMs);
    while (!endDoneFlag_ && endDone_.wait(&endMutex_, deadline)) {
    }
}

void TerminationWatch::signalArrived() {
    char number = 0;
    if (::read(signalSocket[1], &number, 1) != 1)
        return;
    end();
    std::signal(number, SIG_DFL);
    std::raise(number);
}

void TerminationWatch::logged(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (watch && displayLost(message)) {
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            watch->end();
        else
            watch->endFromOtherThread();
    }
    if (watch && watch->previousHandler_)
        watch->previousHandler_(type, context, message);
}

} // namespace velcaro
