// The command-line capture on 200 generated pages of 20 to 200 KB, all with the default jobs:
// `velcaro --capture` on the Chromium engine and on the window's engine (Qt WebEngine), and
// the scripted browser (headless Chromium driven by puppeteer-core) with as many tabs, its tabs
// kept from page to page, then with a new incognito context per page as Velcaro isolates them;
// and the window's GO, "Copia testo Pag.Html" and TXT save one page after another in this
// process. For each, pages per second and the peak proportional memory of its process tree.
// Goals: the Chromium engine captures at least 2.5 times as many pages a second as the window
// and at least as many as the scripted browser with kept tabs, in at most as much memory, and
// the velcaro process grows by at most 1.2 times from 20 to 200 pages.
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
constexpr double kMemoryGoal = 1.0;
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

void printRun(const char* name, const BatchTimes& t, const BatchTimes& window,
              const BatchTimes& peer) {
    std::printf("%s: %.1f s, %.2f pages/s (%.2fx the window, %.2fx the scripted browser with kept "
                "tabs)",
                name, t.seconds, t.pagesPerSecond(), t.pagesPerSecond() / window.pagesPerSecond(),
                t.pagesPerSecond() / peer.pagesPerSecond());
    // The scripted browser tells only its whole time.
    if (t.afterFirstSeconds > 0)
        std::printf("; first page after %.1f s, then %.2f pages/s", t.firstPageSeconds,
                    t.pagesPerSecondAfterFirst());
    std::printf("; peak memory %.0f MB\n", mb(t.peakMemoryKb));
}

void printSamples(const CaptureRun& run) {
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
    const int jobs = defaultCaptureJobs();
    std::printf("pages: %d HTML files of %.1f to %.1f KB, %.1f MB in all; %d pages at once\n", all,
                pages.smallestBytes() / 1024.0, pages.largestBytes() / 1024.0,
                pages.totalBytes() / 1048576.0, jobs);

    const QString chromiumFolder = dir.filePath(QStringLiteral("comando-chromium"));
    const CaptureRun chromium = runCaptureCommand(pages.paths(), chromiumFolder,
                                                  QStringLiteral("chromium"), {kEarlySample, all});
    pages.checkTexts(chromiumFolder, QStringLiteral("velcaro --capture --engine chromium"));
    const QString qtFolder = dir.filePath(QStringLiteral("comando-qt"));
    const CaptureRun qt = runCaptureCommand(pages.paths(), qtFolder, QStringLiteral("qt"), {});
    pages.checkTexts(qtFolder, QStringLiteral("velcaro --capture --engine qt"));

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
    printRun("velcaro --capture --engine chromium", chromium.times, window, keptTabs);
    printSamples(chromium);
    printRun("velcaro --capture --engine qt", qt.times, window, keptTabs);
    printRun("scripted browser, tabs kept from page to page (baseline)", keptTabs, window,
             keptTabs);
    printRun("scripted browser, a new context per page", isolated, window, keptTabs);

    const double growth = static_cast<double>(chromium.memory.at(all).programKb) /
                          static_cast<double>(chromium.memory.at(kEarlySample).programKb);
    Goal{"batch_speedup_default_jobs", chromium.times.pagesPerSecond() / window.pagesPerSecond(),
         ">=", kSpeedupGoal, "x"}
        .print();
    Goal{"batch_pace_vs_scripted_browser",
         chromium.times.pagesPerSecond() / keptTabs.pagesPerSecond(), ">=", kScriptedBrowserGoal,
         "x"}
        .print();
    Goal{"batch_memory_vs_scripted_browser",
         static_cast<double>(chromium.times.peakMemoryKb) /
             static_cast<double>(keptTabs.peakMemoryKb),
         "<=", kMemoryGoal, "x"}
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
