#include "program_run.h"

#include "measure_error.h"
#include "process_memory.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTimer>

namespace velcaro::bench {
namespace {

const QRegularExpression kPageLine(QStringLiteral("^\\[\\d+/\\d+\\] (ok|FAILED)"));

} // namespace

ProgramRun
runProgram(const QStringList& arguments, const QStringList& input, const QString& folder,
           const QStringList& environment, int timeoutMinutes,
           const std::function<void(const QString& line, bool ok, QProcess& process)>& pageLine) {
    QProcess process;
    // The program finds its engine module beside itself, as it does when run from the build.
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove(QStringLiteral("VELCARO_WEB_MODULE"));
    for (const QString& variable : environment)
        variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    process.setProcessEnvironment(variables);
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(QProcess::nullDevice());

    ProgramRun run;
    QByteArray pending;
    const auto readLines = [&] {
        pending += process.readAllStandardError();
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            const QRegularExpressionMatch page = kPageLine.match(line);
            if (page.hasMatch())
                pageLine(line, page.captured(1) == QLatin1String("ok"), process);
            else
                run.otherLines << line;
        }
    };
    QObject::connect(&process, &QProcess::readyReadStandardError, readLines);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer::singleShot(timeoutMinutes * 60 * 1000, &loop, &QEventLoop::quit);

    TreeMemoryPeak memory;
    QObject::connect(&process, &QProcess::started, &memory,
                     [&] { memory.start(process.processId()); });
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(VELCARO_PROGRAM), arguments);
    process.write(input.join(u'\n').toUtf8() + '\n');
    process.closeWriteChannel();
    loop.exec();
    run.seconds = clock.nsecsElapsed() / 1e9;
    memory.stop();
    run.peakTreeKb = memory.peakKb();
    require(process.error() != QProcess::FailedToStart,
            "velcaro did not start: " + process.errorString().toStdString());
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        throw MeasureError("velcaro did not end within " + std::to_string(timeoutMinutes) +
                           " minutes");
    }
    readLines();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

} // namespace velcaro::bench
