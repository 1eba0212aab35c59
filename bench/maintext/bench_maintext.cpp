// The main-text capture on the public article extraction benchmark (181 real article pages
// with their hand-checked article text, read from the shared data folder; skipped when it is
// absent): `velcaro --capture --main` against the whole-page capture of the same pages, both
// scored with the benchmark's metric and timed, alternately, in the same run. Each page is
// loaded at its own address, as a user would load it, from a local proxy that answers it with
// the saved page, a page's move to another address with "no content" (the browser stays) and
// every other request with a 404 (serve_pages.py): nothing leaves the machine, and the pages'
// scripts see the address they were written for. The scripted browser (headless Chromium
// driven by puppeteer-core, as many tabs as the capture's default jobs) takes the same
// pages through the same proxy once. Goals: F1 at least 0.970 and precision at least 0.95
// (the best published extractor's F1 is 0.970), the main-text capture taking at most 1.3
// times the whole-page capture, and the whole-page capture going through at least as many
// addresses a second as the scripted browser.
#include "../support/goal.h"
#include "app/command_line.h"
#include "article_pages.h"
#include "scripted_browser.h"
#include "shingle_score.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velcaro::bench;

namespace {

constexpr double kF1Goal = 0.970;
constexpr double kPrecisionGoal = 0.95;
constexpr double kTimeGoal = 1.3;
constexpr double kScriptedBrowserGoal = 1.0;
constexpr int kRounds = 2;
constexpr int kRunTimeoutMs = 30 * 60 * 1000;

struct Totals {
    double precision = 0, recall = 0, f1 = 0, meanF1 = 0;
    int exact = 0;
    std::vector<std::pair<double, QString>> worst;
};

// Seconds `velcaro --capture` takes for the pages, into `output`.
double capture(const std::vector<ArticlePage>& pages, int port, const QString& output,
               bool mainText) {
    QStringList arguments{"--capture", "--force", "-o", output};
    if (mainText)
        arguments << "--main";
    arguments << "-";
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(output + ".log");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(
        QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
        QStringLiteral("--proxy-server=http://127.0.0.1:%1 --ignore-certificate-errors").arg(port));
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(VELCARO_PROGRAM), arguments);
    for (const ArticlePage& page : pages)
        process.write(page.address.toUtf8() + '\n');
    process.closeWriteChannel();
    process.waitForFinished(kRunTimeoutMs);
    return clock.nsecsElapsed() / 1e9;
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

// The pages the run's report on standard error names as failed.
int failedPages(const QString& output) {
    return static_cast<int>(QString::fromUtf8(readAll(output + ".log")).count(" FAILED: "));
}

void printTotals(const char* name, const Totals& t, double seconds, int pages, int failed) {
    std::printf("%s: F1 %.3f (pages' mean %.3f), precision %.3f, recall %.3f, exact %d of %d, "
                "%d not captured; %.1f s\n",
                name, t.f1, t.meanF1, t.precision, t.recall, t.exact, pages, failed, seconds);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString data = articleBenchmarkFolder();
    if (!QFile::exists(data + "/ground-truth.json")) {
        std::printf("bench_maintext: skipped, the benchmark's data is not at %s\n",
                    qPrintable(data));
        return 0;
    }
    QTemporaryDir work;
    const std::vector<ArticlePage> pages =
        unpackArticlePages(data, work.filePath(QStringLiteral("pagine")));
    const int n = static_cast<int>(pages.size());
    if (n == 0) {
        std::printf("bench_maintext: no page of %s could be unpacked\n", qPrintable(data));
        return 1;
    }
    QProcess server;
    const int port = startPageServer(pages, work.path(), server);
    if (port == 0) {
        std::printf("bench_maintext: the local page server did not start (python3, openssl)\n");
        return 1;
    }
    std::printf("%d pages of %s, each at its own address through a local proxy\n", n,
                qPrintable(data));

    double wholeSeconds = 0;
    double mainSeconds = 0;
    for (int round = 0; round < kRounds; ++round) {
        wholeSeconds += capture(pages, port, work.filePath(QStringLiteral("intera")), false);
        mainSeconds += capture(pages, port, work.filePath(QStringLiteral("principale")), true);
    }
    QStringList addresses;
    for (const ArticlePage& page : pages)
        addresses << page.address;
    const int jobs = velcaro::defaultCaptureJobs();
    int browserFailed = 0;
    const BatchTimes browser = runScriptedBrowser(
        addresses, work.filePath(QStringLiteral("browser")), {jobs, false, port}, &browserFailed);
    const Totals whole = score(pages, work.filePath(QStringLiteral("intera")));
    const Totals main = score(pages, work.filePath(QStringLiteral("principale")));
    const QString wholeOutput = work.filePath(QStringLiteral("intera"));
    const QString mainOutput = work.filePath(QStringLiteral("principale"));
    printTotals("whole page (baseline)", whole, wholeSeconds / kRounds, n,
                failedPages(wholeOutput));
    printTotals("main text", main, mainSeconds / kRounds, n, failedPages(mainOutput));
    const double wholePace = n / (wholeSeconds / kRounds);
    std::printf("scripted browser, %d tabs kept from page to page: %.1f s, %.2f addresses/s, "
                "%d not taken; the whole-page capture %.2f addresses/s, %.2fx\n",
                jobs, browser.seconds, n / browser.seconds, browserFailed, wholePace,
                wholePace / (n / browser.seconds));
    // Pages the whole-page capture could not take (offline) weigh on both: the figures without
    // them, for the finder alone.
    std::vector<ArticlePage> reached;
    for (const ArticlePage& page : pages)
        if (QFile::exists(wholeOutput + "/" + page.output))
            reached.push_back(page);
    const Totals mainReached = score(reached, mainOutput);
    std::printf("main text on the %zu pages the whole-page capture reached: F1 %.3f, precision "
                "%.3f, recall %.3f\n",
                reached.size(), mainReached.f1, mainReached.precision, mainReached.recall);
    std::printf("lowest F1 of the main text:");
    for (int i = 0; i < 10 && i < n; ++i)
        std::printf(" %s %.2f", qPrintable(main.worst[i].second.left(12)), main.worst[i].first);
    std::printf("\n");
    Goal{"maintext_f1", main.f1, ">=", kF1Goal, "", 3}.print();
    Goal{"maintext_precision", main.precision, ">=", kPrecisionGoal, "", 3}.print();
    Goal{"maintext_time_ratio", mainSeconds / wholeSeconds, "<=", kTimeGoal, "", 3}.print();
    Goal{"capture_pace_real_pages_vs_scripted_browser", wholePace / (n / browser.seconds),
         ">=", kScriptedBrowserGoal, "x"}
        .print();
    server.kill();
    server.waitForFinished();
    return 0;
}
