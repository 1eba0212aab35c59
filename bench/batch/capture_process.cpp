#include "capture_process.h"

#include "measure_error.h"
#include "process_memory.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

namespace velcaro::bench {
namespace {

constexpr int kRunTimeoutMs = 15 * 60 * 1000;

// A page's line: "[12/340] ok 0.8 s 45.2 KB address" or "[13/340] FAILED: reason address".
const QRegularExpression kPageLine(QStringLiteral("^\\[\\d+/\\d+\\] (ok|FAILED)"));

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

CaptureRun runCaptureCommand(const QStringList& pages, const QString& folder, int jobs,
                             const QList<int>& sampleAfter) {
    QStringList arguments{QStringLiteral("--capture"), QStringLiteral("-o"), folder};
    if (jobs > 0)
        arguments << QStringLiteral("-j") << QString::number(jobs);
    arguments << QStringLiteral("-");

    QProcess process;
    // The program finds its engine module beside itself, as it does when run from the build.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("VELCARO_WEB_MODULE"));
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());

    CaptureRun run;
    QByteArray pending;
    QStringList otherLines;
    QStringList failures;
    int ended = 0;
    double firstLine = 0;
    double lastLine = 0;
    QElapsedTimer clock;
    const auto readLines = [&] {
        pending += process.readAllStandardError();
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            const QRegularExpressionMatch page = kPageLine.match(line);
            if (!page.hasMatch()) {
                otherLines << line;
                continue;
            }
            lastLine = clock.nsecsElapsed() / 1e9;
            if (++ended == 1)
                firstLine = lastLine;
            if (page.captured(1) != QLatin1String("ok"))
                failures << line;
            if (sampleAfter.contains(ended))
                run.memory[ended] = sampleMemory(process.processId());
        }
    };
    QObject::connect(&process, &QProcess::readyReadStandardError, readLines);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer::singleShot(kRunTimeoutMs, &loop, &QEventLoop::quit);

    clock.start();
    process.start(QStringLiteral(VELCARO_PROGRAM), arguments);
    process.write(pages.join(u'\n').toUtf8() + '\n');
    process.closeWriteChannel();
    loop.exec();
    run.times.seconds = clock.nsecsElapsed() / 1e9;
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        throw MeasureError("velcaro --capture did not end within 15 minutes");
    }
    readLines();

    const std::string said = otherLines.join(u'\n').toStdString();
    require(process.exitStatus() == QProcess::NormalExit &&
                process.error() != QProcess::FailedToStart,
            "velcaro --capture did not run to its end: " + process.errorString().toStdString() +
                "\n" + said);
    require(process.exitCode() == 0, "velcaro --capture ended with code " +
                                         std::to_string(process.exitCode()) + ":\n" +
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
