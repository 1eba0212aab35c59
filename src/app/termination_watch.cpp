#include "app/termination_watch.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <csignal>

namespace velcaro {
namespace {

TerminationWatch* watch = nullptr;

bool displayLost(const QString& message) {
    return message.startsWith(QLatin1String("The X11 connection broke")) ||
           message.startsWith(QLatin1String("The Wayland connection"));
}

} // namespace

TerminationWatch::TerminationWatch(std::function<void()> beforeEnd)
    : beforeEnd_(std::move(beforeEnd)) {
    watch = this;
    previousHandler_ = qInstallMessageHandler(logged);
    signals_ = std::make_unique<SignalNotifier>(std::vector<int>{SIGTERM, SIGHUP},
                                                [this](int number) { signalArrived(number); });
}

TerminationWatch::~TerminationWatch() {
    signals_.reset();
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

void TerminationWatch::signalArrived(int number) {
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
