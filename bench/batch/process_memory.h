#pragma once

#include <QList>
#include <QObject>
#include <QTimer>
#include <QtGlobal>

namespace velcaro::bench {

// The resident memory of process `pid` in kB (VmRSS of /proc/PID/status), or -1 when the
// process is gone or has ended.
qint64 residentKb(qint64 pid);

// The proportional memory of process `pid` in kB (Pss of /proc/PID/smaps_rollup: each page it
// shares counted as its share), or -1 when the process is gone.
qint64 proportionalKb(qint64 pid);

// The processes `pid` started, and those they started, all the way down.
QList<qint64> descendants(qint64 pid);

// The largest memory a process tree took while it ran: every kSampleMs from an event loop, the
// proportional memory of the process and of every process below it, summed. The sum of PSS
// counts a page shared by several of them once, where a sum of RSS counts it in each.
class TreeMemoryPeak : public QObject {
public:
    static constexpr int kSampleMs = 200;

    TreeMemoryPeak();
    // Samples the tree under `pid` from now on (again and again until stop()).
    void start(qint64 pid);
    void stop();
    qint64 peakKb() const { return peakKb_; }

private:
    void sample();

    QTimer timer_;
    qint64 pid_ = 0;
    qint64 peakKb_ = 0;
};

} // namespace velcaro::bench
