#include "maintext_run.h"

#include "page_server.h"
#include "program_run.h"

#include <QDir>
#include <QFile>

namespace velcaro::bench {
namespace {

constexpr int kRunTimeoutMinutes = 30;

} // namespace

CaptureRun captureAddresses(const QStringList& addresses, int port, const QStringList& output,
                            const QString& engine, bool mainText) {
    QStringList arguments{"--capture", "--engine", engine, "--force"};
    arguments << output;
    if (mainText)
        arguments << "--main";
    arguments << "-";
    CaptureRun run;
    const ProgramRun program =
        runProgram(arguments, addresses, QString(), pageServerEnvironment(port), kRunTimeoutMinutes,
                   [&](const QString&, bool ok, QProcess&) { run.failed += ok ? 0 : 1; });
    run.seconds = program.seconds;
    run.peakKb = program.peakTreeKb;
    return run;
}

void keepText(const QString& folder, const QString& name, const QByteArray& text) {
    QDir().mkpath(folder);
    QFile file(QDir(folder).filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

} // namespace velcaro::bench
