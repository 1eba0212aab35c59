#include "scripted_browser.h"

#include "measure_error.h"
#include "process_memory.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

namespace velcaro::bench {
namespace {

constexpr int kRunTimeoutMs = 15 * 60 * 1000;
const QString kChromium = QStringLiteral("/usr/bin/chromium");

} // namespace

BatchTimes runScriptedBrowser(const QStringList& addresses, const QString& folder,
                              const ScriptedBrowserRun& run, int* failed) {
    const QString modules = QStringLiteral(VELCARO_BENCH_NODE "/node_modules");
    require(QFileInfo(modules + QStringLiteral("/puppeteer-core")).isDir() &&
                QFileInfo(kChromium).isExecutable(),
            "the scripted browser is not installed (make bench installs chromium and "
            "puppeteer-core)");
    require(QDir().mkpath(folder), "cannot make " + folder.toStdString());

    QProcess node;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NODE_PATH"), modules);
    node.setProcessEnvironment(environment);
    QStringList arguments{QStringLiteral(VELCARO_SCRIPTED_BROWSER), kChromium,
                          QString::number(run.tabs), folder};
    if (run.contextPerPage)
        arguments << QStringLiteral("--context-per-page");
    if (run.proxyPort > 0)
        arguments << QStringLiteral("--proxy") << QString::number(run.proxyPort);
    if (run.copy)
        arguments << QStringLiteral("--copy");
    TreeMemoryPeak memory;
    QObject::connect(&node, &QProcess::started, &memory, [&] { memory.start(node.processId()); });
    QEventLoop loop;
    QObject::connect(&node, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&node, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer::singleShot(kRunTimeoutMs, &loop, &QEventLoop::quit);
    node.start(QStringLiteral("node"), arguments);
    node.write(addresses.join(u'\n').toUtf8() + '\n');
    node.closeWriteChannel();
    loop.exec();
    memory.stop();
    const bool ended = node.state() == QProcess::NotRunning;
    const std::string said = node.readAllStandardError().toStdString();
    if (!ended) {
        node.kill();
        node.waitForFinished();
    }
    const QRegularExpressionMatch summary =
        QRegularExpression(QStringLiteral("^pages (\\d+) failed (\\d+) seconds ([0-9.]+)"))
            .match(QString::fromUtf8(node.readAllStandardOutput()));
    require(ended && node.exitStatus() == QProcess::NormalExit && summary.hasMatch(),
            "the scripted browser did not end: " + said);
    require(failed || summary.captured(2).toInt() == 0,
            "the scripted browser did not take every page: " + said);
    if (failed)
        *failed = summary.captured(2).toInt();
    BatchTimes times;
    times.pages = summary.captured(1).toInt();
    times.seconds = summary.captured(3).toDouble();
    times.peakMemoryKb = memory.peakKb();
    return times;
}

} // namespace velcaro::bench
