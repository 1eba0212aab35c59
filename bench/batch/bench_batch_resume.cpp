// Capture at scale, interrupted: 2,000 addresses of a local server on which one page in
// twenty fails once for a passing cause (flaky_server.py: 503 with Retry-After, or 502),
// captured by `velcaro --capture --format jsonl --journal` at the default jobs, four pages of
// the one host at once. The run is killed (SIGKILL) once half the pages have ended, then the
// same command runs again and resumes. Printed: pages per second before the kill (the
// baseline) and after the resume, over both, and the records written. Goals: no page
// captured before the kill is captured again, and no page is lost.
#include "../support/goal.h"
#include "measure_error.h"
#include "program_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

using namespace velcaro::bench;

namespace {

constexpr int kAddresses = 2000;
constexpr int kKillAfter = kAddresses / 2;
constexpr int kRunTimeoutMinutes = 20;

struct Run {
    int pages = 0;
    double seconds = 0;
    int exitCode = -1;
    // The status lines of the pages that failed.
    QStringList failed;
};

// Runs the capture of `addresses`; when `killAfter` page lines have come, kills it.
Run capture(const QStringList& addresses, const QString& folder, int killAfter) {
    Run run;
    const ProgramRun program = runProgram({"--capture", "--format", "jsonl", "-o", "records.jsonl",
                                           "--journal", "journal", "--per-host", "4", "-"},
                                          addresses, folder, {}, kRunTimeoutMinutes,
                                          [&](const QString& line, bool ok, QProcess& process) {
                                              if (!ok)
                                                  run.failed << line;
                                              if (++run.pages == killAfter)
                                                  process.kill();
                                          });
    run.seconds = program.seconds;
    run.exitCode = program.exitCode;
    return run;
}

struct Records {
    int lines = 0;
    int broken = 0;
    // Records by address, and those of them without an error.
    std::map<QString, int> all;
    std::map<QString, int> captured;
};

Records readRecords(const QString& path) {
    QFile file(path);
    require(file.open(QIODevice::ReadOnly), "no records file");
    Records records;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        ++records.lines;
        const QJsonObject record = QJsonDocument::fromJson(line).object();
        const QString address = record.value(QStringLiteral("address")).toString();
        if (address.isEmpty()) {
            ++records.broken;
            continue;
        }
        ++records.all[address];
        if (!record.contains(QStringLiteral("error")))
            ++records.captured[address];
    }
    return records;
}

int runBench() {
    QTemporaryDir dir;
    require(dir.isValid(), "no temporary folder");
    QProcess server;
    server.start(QStringLiteral("python3"), {QStringLiteral(VELCARO_FLAKY_SERVER)});
    require(server.waitForReadyRead(10000), "the local server did not start");
    const int port = server.readLine().trimmed().toInt();
    QStringList addresses;
    for (int i = 1; i <= kAddresses; ++i)
        addresses << QStringLiteral("http://127.0.0.1:%1/pagina/%2").arg(port).arg(i);

    const Run killed = capture(addresses, dir.path(), kKillAfter);
    const Records atKill = readRecords(dir.filePath(QStringLiteral("records.jsonl")));
    const Run resumed = capture(addresses, dir.path(), 0);
    server.kill();
    server.waitForFinished();
    // Code 1 says pages failed, which the goals count as lost; anything else is no run.
    require(resumed.exitCode == 0 || resumed.exitCode == 1,
            "the resumed run ended with code " + std::to_string(resumed.exitCode));
    for (const QString& line : resumed.failed)
        std::printf("failed after the resume: %s\n", qPrintable(line));
    const Records all = readRecords(dir.filePath(QStringLiteral("records.jsonl")));

    int redone = 0;
    for (const auto& [address, count] : atKill.all)
        redone += all.all.at(address) - count;
    int lost = 0;
    for (const QString& address : addresses)
        lost += all.captured.count(address) == 0 ? 1 : 0;
    std::printf("addresses: %d on a local server, one in 20 failing once (503 with Retry-After, "
                "or 502)\n",
                kAddresses);
    std::printf("until the kill (baseline): %d pages in %.1f s, %.2f pages/s; %d records\n",
                killed.pages, killed.seconds, killed.pages / killed.seconds, atKill.lines);
    std::printf("resumed: %d pages in %.1f s, %.2f pages/s\n", resumed.pages, resumed.seconds,
                resumed.pages / resumed.seconds);
    std::printf("both runs: %.2f pages/s; %d records written (%d unreadable), %d addresses "
                "captured\n",
                kAddresses / (killed.seconds + resumed.seconds), all.lines, all.broken,
                static_cast<int>(all.captured.size()));
    Goal{"resume_pages_redone", static_cast<double>(redone), "<=", 0, "", 0}.print();
    Goal{"resume_pages_lost", static_cast<double>(lost + all.broken), "<=", 0, "", 0}.print();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        return runBench();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_batch_resume: measurement error: %s\n", e.what());
        return 1;
    }
}
