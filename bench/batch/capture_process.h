#pragma once

#include "batch_times.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <map>

namespace velcaro::bench {

// The memory of the capture process once a number of pages had ended, in kB: its own
// resident memory, and the total of the processes it started (the engine's).
struct MemorySample {
    qint64 programKb = -1;
    qint64 childrenKb = 0;
    int children = 0;
};

struct CaptureRun {
    BatchTimes times;
    // By the number of pages ended when the sample was taken.
    std::map<int, MemorySample> memory;
};

// Runs this build's `velcaro --capture --engine engine -o folder -` with the default jobs, with
// `pages` as the list on standard input. The times are those of the whole process; "after the
// first page" counts from its first page line to its last. The memory
// is sampled when the count of page lines on its standard error reaches each of
// `sampleAfter`, as the line arrives. Throws unless every page is reported captured and
// the process exits with code 0.
CaptureRun runCaptureCommand(const QStringList& pages, const QString& folder,
                             const QString& engine, const QList<int>& sampleAfter);

} // namespace velcaro::bench
