#include "capture_process.h"

#include "measure_error.h"
#include "process_memory.h"
#include "program_run.h"

#include <QElapsedTimer>

namespace velcaro::bench {
namespace {

constexpr int kRunTimeoutMinutes = 15;

MemorySample sampleMemory(qint64 pid) {
    MemorySample sample;
    sample.programKb = residentKb(pid);
    for (const qint64 child : descendants(pid)) {
        const qint64 kb = residentKb(child);
        if (kb > 0) {
            sample.childrenKb += kb;
            ++sample.children;
        }
    }
    return sample;
}

} // namespace

CaptureRun runCaptureCommand(const QStringList& pages, const QString& folder,
                             const QString& engine, const QList<int>& sampleAfter) {
    const QStringList arguments{QStringLiteral("--capture"), QStringLiteral("--engine"), engine,
                                QStringLiteral("-o"), folder, QStringLiteral("-")};

    CaptureRun run;
    QStringList failures;
    int ended = 0;
    double firstLine = 0;
    double lastLine = 0;
    QElapsedTimer clock;
    clock.start();
    const ProgramRun program = runProgram(arguments, pages, QString(), {}, kRunTimeoutMinutes,
                                          [&](const QString& line, bool ok, QProcess& process) {
                                              lastLine = clock.nsecsElapsed() / 1e9;
                                              if (++ended == 1)
                                                  firstLine = lastLine;
                                              if (!ok)
                                                  failures << line;
                                              if (sampleAfter.contains(ended))
                                                  run.memory[ended] =
                                                      sampleMemory(process.processId());
                                          });
    run.times.seconds = program.seconds;
    run.times.peakMemoryKb = program.peakTreeKb;

    const std::string said = program.otherLines.join(u'\n').toStdString();
    require(program.exitCode >= 0, "velcaro --capture did not run to its end:\n" + said);
    require(program.exitCode == 0, "velcaro --capture ended with code " +
                                       std::to_string(program.exitCode) + ":\n" +
                                       failures.join(u'\n').toStdString() + "\n" + said);
    require(ended == pages.size() && failures.isEmpty(),
            "velcaro --capture reported " + std::to_string(ended) + " pages of " +
                std::to_string(pages.size()) + ":\n" + said);
    for (const int count : sampleAfter)
        require(run.memory.count(count) && run.memory[count].programKb > 0,
                "the memory of velcaro --capture could not be read after " + std::to_string(count) +
                    " pages");
    run.times.pages = ended;
    run.times.firstPageSeconds = firstLine;
    run.times.afterFirstSeconds = lastLine - firstLine;
    return run;
}

} // namespace velcaro::bench
