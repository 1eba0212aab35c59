// The program ended from outside: its last step runs at SIGTERM and SIGHUP, from the event
// loop, before the signal ends the process, and when the display's connection is lost, in the
// main thread whichever thread logs the loss.

#include "app/termination_watch.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <csignal>
#include <gtest/gtest.h>

using namespace velcaro;

namespace {

class TerminationWatchDeathTest : public ::testing::TestWithParam<int> {};

TEST_P(TerminationWatchDeathTest, TheLastStepRunsThenTheSignalEndsTheProcess) {
    QTemporaryDir dir;
    const QString mark = dir.filePath(QStringLiteral("ultimo passo"));
    const int signal = GetParam();
    EXPECT_EXIT(
        {
            const TerminationWatch watch([mark] {
                QFile f(mark);
                f.open(QIODevice::WriteOnly);
            });
            std::raise(signal);
            QCoreApplication::exec();
        },
        ::testing::KilledBySignal(signal), "");
    EXPECT_TRUE(QFile::exists(mark));
}

INSTANTIATE_TEST_SUITE_P(EndSignals, TerminationWatchDeathTest, ::testing::Values(SIGTERM, SIGHUP));

TEST(TerminationWatch, TheLastStepRunsOnceWhenTheDisplaysConnectionIsLost) {
    int steps = 0;
    {
        const TerminationWatch watch([&steps] { ++steps; });
        qWarning("The X11 connection broke (error 1). Did the X11 server die?");
        qWarning("The Wayland connection broke. Did the Wayland compositor die?");
    }
    qWarning("The X11 connection broke (error 1). Did the X11 server die?");
    EXPECT_EQ(steps, 1) << "once, and only while the watch lives";
}

// The Wayland platform's event thread logs the loss too, and ends the process as soon as its
// warning returns: by then the step must have run, in the main thread.
TEST(TerminationWatch, AWarningFromAnotherThreadReturnsOnceTheStepHasRunInTheMainThread) {
    std::atomic<bool> stepRan{false};
    Qt::HANDLE stepThread = nullptr;
    const TerminationWatch watch([&] {
        stepThread = QThread::currentThreadId();
        stepRan = true;
    });
    bool ranBeforeReturn = false;
    std::unique_ptr<QThread> events(QThread::create([&] {
        qWarning("The Wayland connection broke. Did the Wayland compositor die?");
        ranBeforeReturn = stepRan;
    }));
    events->start();
    QTRY_VERIFY(events->isFinished());
    EXPECT_TRUE(ranBeforeReturn);
    EXPECT_EQ(stepThread, QThread::currentThreadId());
}

} // namespace
