// The command-line capture against the window's own sequence, on the same 200 generated
// pages of 20 to 200 KB: pages per second of the window's GO, "Copia testo Pag.Html" and
// TXT save one page after another in this process (the baseline), then of
// `velcaro --capture` with one job and with the default jobs; and the resident memory of the
// capture process after 20 and after 200 pages; and the scripted browser (headless Chromium
// driven by puppeteer-core) on the same pages with as many tabs as the default jobs, its tabs
// kept from page to page, then with a new incognito context per page as Velcaro isolates them.
// Three goals: the default jobs capture at least 2.5 times as many pages a second as the
// window and at least as many as the scripted browser with kept tabs, and the process grows
// by at most 1.2 times from 20 to 200 pages.
#include "../support/goal.h"
#include "../support/offscreen_engine.h"
#include "app/command_line.h"
#include "capture_process.h"
#include "measure_error.h"
#include "page_set.h"
#include "scripted_browser.h"
#include "window_sequence.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdio>

using namespace velcaro;
using namespace velcaro::bench;

namespace {

constexpr double kSpeedupGoal = 2.5;
constexpr double kScriptedBrowserGoal = 1.0;
constexpr double kGrowthGoal = 1.2;
constexpr int kEarlySample = 20;

double mb(qint64 kb) {
    return static_cast<double>(kb) / 1024.0;
}

// The offscreen platform notes on standard error each time it is asked to raise a window,
// which the captured-text window is at every capture: those notes are left out.
QtMessageHandler defaultMessageHandler = nullptr;

void withoutOffscreenNotes(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        defaultMessageHandler(type, context, message);
}

void printCommand(const char* name, const CaptureRun& run, const BatchTimes& window) {
    const BatchTimes& t = run.times;
    std::printf("%s: %.1f s, %.2f pages/s (%.2fx the window); first page after %.1f s, then "
                "%.2f pages/s (%.2fx)\n",
                name, t.seconds, t.pagesPerSecond(), t.pagesPerSecond() / window.pagesPerSecond(),
                t.firstPageSeconds, t.pagesPerSecondAfterFirst(),
                t.pagesPerSecondAfterFirst() / window.pagesPerSecondAfterFirst());
    for (const auto& [pages, sample] : run.memory)
        std::printf("  after %3d pages: velcaro %.1f MB resident; its %d engine processes "
                    "%.1f MB together\n",
                    pages, mb(sample.programKb), sample.children, mb(sample.childrenKb));
}

int runBench() {
    QTemporaryDir dir;
    require(dir.isValid(), "no temporary folder");
    const PageSet pages(dir.filePath(QStringLiteral("pagine")));
    const int all = PageSet::kPages;
    std::printf("pages: %d HTML files of %.1f to %.1f KB, %.1f MB in all\n", all,
                pages.smallestBytes() / 1024.0, pages.largestBytes() / 1024.0,
                pages.totalBytes() / 1048576.0);

    const QString oneJobFolder = dir.filePath(QStringLiteral("comando-j1"));
    const CaptureRun oneJob = runCaptureCommand(pages.paths(), oneJobFolder, 1, {});
    pages.checkTexts(oneJobFolder, QStringLiteral("velcaro --capture -j 1"));

    const QString defaultFolder = dir.filePath(QStringLiteral("comando"));
    const CaptureRun byDefault =
        runCaptureCommand(pages.paths(), defaultFolder, 0, {kEarlySample, all});
    pages.checkTexts(defaultFolder, QStringLiteral("velcaro --capture"));

    const int jobs = defaultCaptureJobs();
    QStringList addresses;
    for (const QString& page : pages.paths())
        addresses << QUrl::fromLocalFile(page).toString();
    const QString keptFolder = dir.filePath(QStringLiteral("browser-kept-tabs"));
    const BatchTimes keptTabs = runScriptedBrowser(addresses, keptFolder, {jobs, false, 0});
    pages.checkTexts(keptFolder, QStringLiteral("the scripted browser"));
    const QString isolatedFolder = dir.filePath(QStringLiteral("browser-context-per-page"));
    const BatchTimes isolated = runScriptedBrowser(addresses, isolatedFolder, {jobs, true, 0});
    pages.checkTexts(isolatedFolder, QStringLiteral("the scripted browser, isolated"));

    const QString windowFolder = dir.filePath(QStringLiteral("finestra"));
    const BatchTimes window = WindowSequence().run(pages.paths(), windowFolder);
    pages.checkTexts(windowFolder, QStringLiteral("the window"));

    std::printf("window sequence (baseline, in this process): %.1f s, %.2f pages/s; first page "
                "after %.1f s, then %.2f pages/s\n",
                window.seconds, window.pagesPerSecond(), window.firstPageSeconds,
                window.pagesPerSecondAfterFirst());
    printCommand("velcaro --capture -j 1", oneJob, window);
    const QByteArray defaultName =
        QStringLiteral("velcaro --capture (default jobs: %1)").arg(jobs).toUtf8();
    printCommand(defaultName.constData(), byDefault, window);
    const double velcaroPace = byDefault.times.pagesPerSecond();
    std::printf(
        "scripted browser, %d tabs kept from page to page (baseline): %.1f s, %.2f pages/s; "
        "velcaro --capture %.2fx\n",
        jobs, keptTabs.seconds, keptTabs.pagesPerSecond(), velcaroPace / keptTabs.pagesPerSecond());
    std::printf("scripted browser, %d tabs, a new context per page: %.1f s, %.2f pages/s; "
                "velcaro --capture %.2fx\n",
                jobs, isolated.seconds, isolated.pagesPerSecond(),
                velcaroPace / isolated.pagesPerSecond());

    const double growth = static_cast<double>(byDefault.memory.at(all).programKb) /
                          static_cast<double>(byDefault.memory.at(kEarlySample).programKb);
    Goal{"batch_speedup_default_jobs", byDefault.times.pagesPerSecond() / window.pagesPerSecond(),
         ">=", kSpeedupGoal, "x"}
        .print();
    Goal{"batch_pace_vs_scripted_browser", velcaroPace / keptTabs.pagesPerSecond(),
         ">=", kScriptedBrowserGoal, "x"}
        .print();
    Goal{"batch_rss_growth", growth, "<=", kGrowthGoal, "x"}.print();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    bench::prepareOffscreenEngine();
    defaultMessageHandler = qInstallMessageHandler(withoutOffscreenNotes);
    QApplication app(argc, argv);
    try {
        return runBench();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_batch: measurement error: %s\n", e.what());
        return 1;
    }
}
