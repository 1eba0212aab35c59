#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

namespace velcaro::bench {

// What a run of the program said and how it ended.
struct ProgramRun {
    // From its start until it exited.
    double seconds = 0;
    // Its exit code, or -1 when it did not exit by itself (it crashed or was killed).
    int exitCode = -1;
    // The lines of standard error that are not page lines.
    QStringList otherLines;
    // The largest proportional memory of the program and every process below it (TreeMemoryPeak).
    qint64 peakTreeKb = 0;
};

// Runs this build's `velcaro` with `arguments` in `folder` (empty: this process's), the lines
// of `input` on its standard input, the variables of `environment` ("NAME=VALUE") added to
// this process's and its standard output discarded. `pageLine` is called
// from an event loop as each page line ("[12/340] ok ..." or "[13/340] FAILED: ...") comes on
// its standard error, with whether the page was captured and the running process. Throws
// when it does not start or does not end within `timeoutMinutes`.
ProgramRun
runProgram(const QStringList& arguments, const QStringList& input, const QString& folder,
           const QStringList& environment, int timeoutMinutes,
           const std::function<void(const QString& line, bool ok, QProcess& process)>& pageLine);

} // namespace velcaro::bench
