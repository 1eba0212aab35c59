#include "article_benchmark.h"

#include "../support/goal.h"
#include "app/command_line.h"
#include "article_pages.h"
#include "batch_capture/page_formats.h"
#include "scripted_browser.h"
#include "shingle_score.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace velcaro::bench {
namespace {

constexpr double kF1Goal = 0.975;
constexpr double kPrecisionGoal = 0.95;
constexpr double kTimeGoal = 1.3;
constexpr double kScriptedBrowserGoal = 1.0;
constexpr double kMemoryGoal = 1.0;
constexpr double kSameCopyGoal = 0.95;
// Pages whose copy differs from the browser's, shown with their first differing line.
constexpr int kShownDifferences = 5;

struct Totals {
    double precision = 0, recall = 0, f1 = 0, meanF1 = 0;
    int exact = 0;
    std::vector<std::pair<double, QString>> worst;
};

// One engine's captures: the whole page (when asked for) and the main text.
struct EngineRun {
    QString engine;
    QString wholeOutput, mainOutput;
    CaptureRun whole, main;
};

QStringList addressesOf(const std::vector<ArticlePage>& pages) {
    QStringList addresses;
    for (const ArticlePage& page : pages)
        addresses << page.address;
    return addresses;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

Totals score(const std::vector<ArticlePage>& pages, const QString& output) {
    Totals totals;
    for (const ArticlePage& page : pages) {
        const QString text = QString::fromUtf8(readAll(output + "/" + page.output));
        const ShingleScore s = scoreText(text, page.truth);
        totals.precision += s.precision;
        totals.recall += s.recall;
        totals.f1 += s.f1;
        totals.exact += s.exact ? 1 : 0;
        totals.worst.emplace_back(s.f1, page.id);
    }
    const double n = static_cast<double>(pages.size());
    totals.precision /= n;
    totals.recall /= n;
    totals.meanF1 = totals.f1 / n;
    // The published table's F1 is that of the mean precision and the mean recall.
    const double sum = totals.precision + totals.recall;
    totals.f1 = sum > 0 ? 2 * totals.precision * totals.recall / sum : 0;
    std::sort(totals.worst.begin(), totals.worst.end());
    return totals;
}

void printTotals(const QString& name, const Totals& t, const CaptureRun& run, int pages) {
    std::printf("%s: F1 %.3f (pages' mean %.3f), precision %.3f, recall %.3f, exact %d of %d, "
                "%d not captured; %.1f s, %.2f addresses/s, peak memory %.0f MB\n",
                qPrintable(name), t.f1, t.meanF1, t.precision, t.recall, t.exact, pages, run.failed,
                run.seconds, pages / run.seconds, run.peakKb / 1024.0);
}

// The pages both took whose captured text is, byte for byte, the browser's own copy as the TXT
// writes it; the first differing line of the first few that differ is printed.
double sameCopyShare(const std::vector<ArticlePage>& pages, const QString& captured,
                     const QString& copied) {
    int both = 0;
    int same = 0;
    for (const ArticlePage& page : pages) {
        QFile capturedFile(captured + "/" + page.output);
        QFile copiedFile(copied + "/" + page.output);
        if (!capturedFile.open(QIODevice::ReadOnly) || !copiedFile.open(QIODevice::ReadOnly))
            continue;
        ++both;
        const QByteArray ours = capturedFile.readAll();
        const QByteArray browsers =
            velcaro::page_formats::text(QString::fromUtf8(copiedFile.readAll()));
        if (ours == browsers) {
            ++same;
            continue;
        }
        if (both - same > kShownDifferences)
            continue;
        const QList<QByteArray> ourLines = ours.split('\n');
        const QList<QByteArray> theirLines = browsers.split('\n');
        qsizetype line = 0;
        while (line < ourLines.size() && line < theirLines.size() &&
               ourLines[line] == theirLines[line])
            ++line;
        std::printf("  %s differs at line %lld of %lld/%lld:\n    velcaro: %s\n    browser: %s\n",
                    qPrintable(page.id.left(12)), static_cast<long long>(line + 1),
                    static_cast<long long>(ourLines.size()),
                    static_cast<long long>(theirLines.size()),
                    ourLines.value(line, "(end)").left(160).constData(),
                    theirLines.value(line, "(end)").left(160).constData());
    }
    std::printf("the Chromium engine's text is the browser's own copy on %d of the %d pages both "
                "took\n",
                same, both);
    return both > 0 ? static_cast<double>(same) / both : 0;
}

void keepTexts(const std::vector<ArticlePage>& pages, const QString& output,
               const QString& folder) {
    for (const ArticlePage& page : pages)
        if (QFile::exists(output + "/" + page.output))
            keepText(folder, page.id + ".txt", readAll(output + "/" + page.output));
}

// The scripted browser's pace against the whole-page capture on the Chromium engine, and its
// own copy against that capture's text: the goals on both. `runs` starts with the Chromium
// engine's.
void compareWithScriptedBrowser(const std::vector<ArticlePage>& pages, int port,
                                const std::vector<EngineRun>& runs, const QString& folder) {
    const EngineRun& chromium = runs[0];
    const int n = static_cast<int>(pages.size());
    QStringList named;
    for (const ArticlePage& page : pages)
        named << page.address + u'\t' + page.output;
    const int jobs = velcaro::defaultCaptureJobs();
    int browserFailed = 0;
    const BatchTimes browser = runScriptedBrowser(addressesOf(pages), folder + "/browser",
                                                  {jobs, false, port}, &browserFailed);
    int copyFailed = 0;
    runScriptedBrowser(named, folder + "/browser-copy", {jobs, true, port, true}, &copyFailed);
    const double wholePace = n / chromium.whole.seconds;
    const double browserPace = n / browser.seconds;
    std::printf("scripted browser, %d tabs kept from page to page: %.1f s, %.2f addresses/s, "
                "%d not taken, peak memory %.0f MB;",
                jobs, browser.seconds, browserPace, browserFailed, browser.peakMemoryKb / 1024.0);
    for (const EngineRun& run : runs)
        std::printf(" %s %.2fx", qPrintable(run.engine), n / run.whole.seconds / browserPace);
    std::printf("\n");
    std::printf("the browser's own copy, a context per page: %d not taken\n", copyFailed);
    const double sameShare = sameCopyShare(pages, chromium.wholeOutput, folder + "/browser-copy");
    Goal{"capture_pace_real_pages_vs_scripted_browser", wholePace / browserPace,
         ">=", kScriptedBrowserGoal, "x"}
        .print();
    Goal{"capture_memory_real_pages_vs_scripted_browser",
         static_cast<double>(chromium.whole.peakKb) / static_cast<double>(browser.peakMemoryKb),
         "<=", kMemoryGoal, "x"}
        .print();
    Goal{"copy_same_as_browser_copy", sameShare, ">=", kSameCopyGoal, "", 3}.print();
}

} // namespace

bool runArticleBenchmark(const MaintextOptions& options) {
    const QString data = articleBenchmarkFolder();
    if (!QFile::exists(data + "/ground-truth.json")) {
        std::printf("bench_maintext: articles skipped, the benchmark's data is not at %s\n",
                    qPrintable(data));
        return true;
    }
    QTemporaryDir work;
    std::vector<ArticlePage> pages;
    for (const ArticlePage& page : unpackArticlePages(data, work.filePath("pagine")))
        if (options.pages.match(page.id).hasMatch())
            pages.push_back(page);
    const int n = static_cast<int>(pages.size());
    if (n == 0) {
        std::printf("bench_maintext: no page of %s could be unpacked or matches\n",
                    qPrintable(data));
        return false;
    }
    QProcess server;
    const int port = startPageServer(pages, work.path(), server);
    if (port == 0) {
        std::printf("bench_maintext: the local page server did not start (python3, openssl)\n");
        return false;
    }
    std::printf("articles: %d pages of %s, each at its own address through a local proxy\n", n,
                qPrintable(data));

    const QStringList engines =
        options.engines.isEmpty() ? QStringList{"chromium", "qt"} : options.engines;
    std::vector<EngineRun> runs;
    for (const QString& engine : engines) {
        EngineRun run{engine,
                      work.filePath(engine + "-intera"),
                      work.filePath(engine + "-principale"),
                      {},
                      {}};
        if (options.whole)
            run.whole =
                captureAddresses(addressesOf(pages), port, {"-o", run.wholeOutput}, engine, false);
        run.main = captureAddresses(addressesOf(pages), port, {"-o", run.mainOutput}, engine, true);
        runs.push_back(run);
    }
    std::vector<Totals> mainScores;
    for (const EngineRun& run : runs) {
        if (options.whole)
            printTotals(run.engine + ", whole page" + (&run == &runs[0] ? " (baseline)" : ""),
                        score(pages, run.wholeOutput), run.whole, n);
        mainScores.push_back(score(pages, run.mainOutput));
        printTotals(run.engine + ", main text", mainScores.back(), run.main, n);
        if (!options.keep.isEmpty())
            keepTexts(pages, run.mainOutput, options.keep + "/articles-" + run.engine);
    }
    const EngineRun& first = runs[0];
    const Totals& firstScore = mainScores[0];
    if (options.whole) {
        // Pages the whole-page capture could not take (offline) weigh on both: the figures
        // without them, for the finder alone.
        std::vector<ArticlePage> reached;
        for (const ArticlePage& page : pages)
            if (QFile::exists(first.wholeOutput + "/" + page.output))
                reached.push_back(page);
        const Totals mainReached = score(reached, first.mainOutput);
        std::printf("%s, main text on the %zu pages the whole-page capture reached: F1 %.3f, "
                    "precision %.3f, recall %.3f\n",
                    qPrintable(first.engine), reached.size(), mainReached.f1, mainReached.precision,
                    mainReached.recall);
    }
    std::printf("lowest F1 of the main text:");
    for (int i = 0; i < 10 && i < n; ++i)
        std::printf(" %s %.2f", qPrintable(firstScore.worst[i].second.left(12)),
                    firstScore.worst[i].first);
    std::printf("\n");

    Goal{"maintext_f1", firstScore.f1, ">=", kF1Goal, "", 3}.print();
    for (std::size_t i = 1; i < runs.size(); ++i)
        std::printf("(%s: maintext_f1 %.3f)\n", qPrintable(runs[i].engine), mainScores[i].f1);
    Goal{"maintext_precision", firstScore.precision, ">=", kPrecisionGoal, "", 3}.print();
    if (options.whole)
        Goal{
            "maintext_time_ratio", first.main.seconds / first.whole.seconds, "<=", kTimeGoal, "", 3}
            .print();
    if (options.whole && first.engine == QLatin1String("chromium"))
        compareWithScriptedBrowser(pages, port, runs, work.path());
    server.kill();
    server.waitForFinished();
    return true;
}

} // namespace velcaro::bench
