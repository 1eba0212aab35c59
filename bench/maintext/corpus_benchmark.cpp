#include "corpus_benchmark.h"

#include "../support/goal.h"
#include "corpus_pages.h"
#include "page_server.h"
#include "passage_score.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace velcaro::bench {
namespace {

constexpr double kF1Goal = 0.93;
constexpr double kWorstKindGoal = 0.85;
constexpr std::size_t kLowestShown = 10;

// Scores summed over pages, for their means, and passages over all of them.
struct Sums {
    int pages = 0;
    double f1 = 0, precision = 0, recall = 0;
    int must = 0, mustFound = 0, mustNotFound = 0;

    void add(const PassageScore& s) {
        ++pages;
        f1 += s.f1;
        precision += s.precision;
        recall += s.recall;
        must += s.must;
        mustFound += s.mustFound;
        mustNotFound += s.mustNotFound;
    }
    double meanF1() const { return pages > 0 ? f1 / pages : 0; }
};

// One capture of the pages: each page's text (empty when it was not captured), why it was
// not captured (empty when it was) and score.
struct CorpusCapture {
    CaptureRun run;
    std::vector<QString> texts;
    std::vector<QString> errors;
    std::vector<PassageScore> scores;
    Sums all;
    QMap<QString, Sums> byLanguage, byKind;
};

// The records of a JSON Lines capture, by the address each was given for.
QHash<QString, QJsonObject> readRecords(const QString& path) {
    QHash<QString, QJsonObject> records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    while (!file.atEnd()) {
        const QJsonObject record = QJsonDocument::fromJson(file.readLine()).object();
        records.insert(record.value(QStringLiteral("address")).toString(), record);
    }
    return records;
}

CorpusCapture capture(const std::vector<CorpusPage>& pages, int port, const QString& engine,
                      bool mainText, const QString& records) {
    QStringList addresses;
    for (const CorpusPage& page : pages)
        addresses << page.address;
    CorpusCapture result;
    result.run =
        captureAddresses(addresses, port, {"--format", "jsonl", "-o", records}, engine, mainText);
    const QHash<QString, QJsonObject> byAddress = readRecords(records);
    for (const CorpusPage& page : pages) {
        const QJsonObject record = byAddress.value(page.address);
        result.texts.push_back(record.value(QStringLiteral("text")).toString());
        result.errors.push_back(record.isEmpty()
                                    ? QStringLiteral("no record")
                                    : record.value(QStringLiteral("error")).toString());
        const PassageScore s =
            scorePassages(PassageText(result.texts.back()), page.must, page.mustNot);
        result.scores.push_back(s);
        result.all.add(s);
        result.byLanguage[page.language].add(s);
        result.byKind[page.kind].add(s);
    }
    return result;
}

void printSummary(const QString& name, const CorpusCapture& c) {
    const Sums& a = c.all;
    const int found = a.mustFound + a.mustNotFound;
    std::printf("%s: mean F1 %.3f, precision %.3f, recall %.3f; over the passages precision %.3f, "
                "recall %.3f (%d of %d must, %d must-not found); %d not captured, %.1f s\n",
                qPrintable(name), a.meanF1(), a.precision / a.pages, a.recall / a.pages,
                found > 0 ? static_cast<double>(a.mustFound) / found : 0,
                a.must > 0 ? static_cast<double>(a.mustFound) / a.must : 0, a.mustFound, a.must,
                a.mustNotFound, c.run.failed, c.run.seconds);
}

void printNotCaptured(const std::vector<CorpusPage>& pages, const CorpusCapture& c) {
    for (std::size_t i = 0; i < pages.size(); ++i)
        if (!c.errors[i].isEmpty())
            std::printf("  not captured: %s (%s)\n", qPrintable(pages[i].id),
                        qPrintable(c.errors[i]));
}

void printGroups(const char* title, const QMap<QString, Sums>& groups) {
    std::printf("main text by %s:\n", title);
    for (auto it = groups.cbegin(); it != groups.cend(); ++it)
        std::printf("  %-14s %3d pages  F1 %.3f  P %.3f  R %.3f\n", qPrintable(it.key()), it->pages,
                    it->meanF1(), it->precision / it->pages, it->recall / it->pages);
}

// The annotation's passages the whole page does not hold: each is a defect of the annotation,
// listed by page (a page the whole-page capture could not take is not checked).
void printAbsentPassages(const std::vector<CorpusPage>& pages, const CorpusCapture& whole) {
    int absent = 0;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (!whole.errors[i].isEmpty())
            continue;
        const PassageText text(whole.texts[i]);
        const QStringList missing = text.absent(pages[i].must + pages[i].mustNot);
        for (const QString& passage : missing)
            std::printf("  %s: \"%s\"\n", qPrintable(pages[i].id), qPrintable(passage));
        absent += static_cast<int>(missing.size());
    }
    std::printf("%d annotation passages absent from the whole-page capture%s\n", absent,
                absent > 0 ? " (listed above)" : "");
}

void keepTexts(const std::vector<CorpusPage>& pages, const CorpusCapture& c,
               const QString& folder) {
    for (std::size_t i = 0; i < pages.size(); ++i)
        keepText(folder, pages[i].id + ".txt", c.texts[i].toUtf8());
}

} // namespace

bool runCorpusBenchmark(const MaintextOptions& options) {
    QTemporaryDir work;
    QStringList problems;
    const QStringList folders = corpusFolders();
    const std::vector<CorpusPage> pages =
        loadCorpusPages(folders, options.pages, work.filePath("pagine"), problems);
    for (const QString& problem : problems)
        std::printf("corpus: %s\n", qPrintable(problem));
    if (pages.empty()) {
        std::printf("bench_maintext: no corpus page in %s\n", qPrintable(folders.join(u':')));
        return false;
    }
    QMap<QString, QString> files;
    for (const CorpusPage& page : pages)
        files.insert(page.address, page.path);
    QProcess server;
    const int port = startPageServer(files, work.path(), server);
    if (port == 0) {
        std::printf("bench_maintext: the local page server did not start (python3, openssl)\n");
        return false;
    }
    const QString engine = options.engines.value(0, QStringLiteral("chromium"));
    std::printf("corpus: %zu pages of %s, each at its own address through a local proxy\n",
                pages.size(), qPrintable(folders.join(u':')));

    CorpusCapture whole;
    if (options.whole) {
        whole = capture(pages, port, engine, false, work.filePath("intera.jsonl"));
        printSummary(engine + ", whole page (baseline)", whole);
        printNotCaptured(pages, whole);
    }
    const CorpusCapture main =
        capture(pages, port, engine, true, work.filePath("principale.jsonl"));
    server.kill();
    server.waitForFinished();
    printSummary(engine + ", main text", main);
    printNotCaptured(pages, main);
    printGroups("language", main.byLanguage);
    printGroups("kind", main.byKind);
    std::vector<std::pair<double, QString>> lowest;
    for (std::size_t i = 0; i < pages.size(); ++i)
        lowest.emplace_back(main.scores[i].f1, pages[i].id);
    std::sort(lowest.begin(), lowest.end());
    std::printf("lowest F1 of the main text:");
    for (std::size_t i = 0; i < kLowestShown && i < lowest.size(); ++i)
        std::printf(" %s %.2f", qPrintable(lowest[i].second), lowest[i].first);
    std::printf("\n");
    if (options.whole)
        printAbsentPassages(pages, whole);
    if (!options.keep.isEmpty()) {
        keepTexts(pages, main, options.keep + "/corpus-" + engine);
        if (options.whole)
            keepTexts(pages, whole, options.keep + "/corpus-" + engine + "-whole");
    }

    Goal{"maintext_f1_second_corpus", main.all.meanF1(), ">=", kF1Goal, "", 3}.print();
    auto worst =
        std::min_element(main.byKind.cbegin(), main.byKind.cend(),
                         [](const Sums& a, const Sums& b) { return a.meanF1() < b.meanF1(); });
    std::printf("lowest kind: %s\n", qPrintable(worst.key()));
    Goal{"maintext_worst_kind_f1", worst->meanF1(), ">=", kWorstKindGoal, "", 3}.print();
    return true;
}

} // namespace velcaro::bench
