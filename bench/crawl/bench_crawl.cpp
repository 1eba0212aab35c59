// A site crawl at scale: a generated local site (generated_site.py) of 5,000 pages whose
// links give each page under several variants of its address, with a calendar trap, links
// out of scope and an image. Measured with `velcaro --capture --format jsonl`, eight pages at
// once: the same pages given as a list (the baseline), the crawl from the first page, and the
// crawl killed (SIGKILL) halfway and run again with its journal. Printed: pages per second
// and the memory peak of velcaro with the browser's processes for each. Goals: no page taken
// twice, none in scope missed, none redone after the resume, and the crawl within a quarter
// of the list's time and memory.
//
// `bench_crawl --pages N` measures a site of N pages; `bench_crawl --memory` only crawls a
// site of 50,000 pages and prints its memory peak (not run by `make bench`: about an hour).
#include "../batch/measure_error.h"
#include "../batch/program_run.h"
#include "../support/goal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

using namespace velcaro::bench;

namespace {

constexpr int kDefaultPages = 5000;
constexpr int kMemoryPages = 50000;
constexpr int kMaxPerPattern = 100;
constexpr int kRunTimeoutMinutes = 240;
const QStringList kPace{"--jobs", "8", "--per-host", "8", "--settle", "0"};

struct Records {
    // Captured records by the site's page number, and the calendar's pages captured.
    std::map<int, int> pages;
    int calendar = 0;
    int failed = 0;
};

Records readRecords(const QString& path) {
    QFile file(path);
    require(file.open(QIODevice::ReadOnly), "no records file");
    static const QRegularExpression page(QStringLiteral("/sito/p/(\\d+)\\.html$"));
    Records records;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject record = QJsonDocument::fromJson(line).object();
        if (record.isEmpty())
            continue;
        if (record.contains(QStringLiteral("error"))) {
            ++records.failed;
            continue;
        }
        const QString address = record.value(QStringLiteral("address")).toString();
        const QRegularExpressionMatch number = page.match(address);
        if (number.hasMatch())
            ++records.pages[number.captured(1).toInt()];
        else if (address.contains(QStringLiteral("calendario")))
            ++records.calendar;
    }
    return records;
}

struct Measure {
    ProgramRun run;
    int pageLines = 0;
};

Measure measure(const QStringList& arguments, const QStringList& input, const QString& folder,
                int killAfter = 0) {
    Measure m;
    m.run = runProgram(arguments, input, folder, {}, kRunTimeoutMinutes,
                       [&](const QString&, bool, QProcess& process) {
                           if (++m.pageLines == killAfter)
                               process.kill();
                       });
    return m;
}

void report(const char* what, const Measure& m) {
    std::printf("%s: %d pages in %.1f s, %.2f pages/s, memory peak %.1f MB\n", what, m.pageLines,
                m.run.seconds, m.pageLines / m.run.seconds, m.run.peakTreeKb / 1024.0);
}

QStringList crawlArguments(const QString& start, const QStringList& more) {
    return QStringList{"--capture",         "--crawl",
                       "--depth",           "12",
                       "--max-per-pattern", QString::number(kMaxPerPattern),
                       "--format",          "jsonl"} +
           kPace + more + QStringList{start};
}

int runBench(int pages, bool memoryOnly) {
    QTemporaryDir dir;
    require(dir.isValid(), "no temporary folder");
    QProcess server;
    server.start(QStringLiteral("python3"),
                 {QStringLiteral(VELCARO_GENERATED_SITE), QString::number(pages)});
    require(server.waitForReadyRead(10000), "the local server did not start");
    const QString site =
        QStringLiteral("http://127.0.0.1:%1/sito/p/").arg(server.readLine().trimmed().toInt());
    const QString start = site + QStringLiteral("0.html");
    std::printf("site: %d pages, each also linked under 4 variants of its address, a calendar "
                "trap (at most %d of it), links out of scope and an image\n",
                pages, kMaxPerPattern);

    const Measure crawl = measure(crawlArguments(start, {"-o", "crawl.jsonl"}), {}, dir.path());
    const Records crawled = readRecords(dir.filePath(QStringLiteral("crawl.jsonl")));
    int twice = 0;
    for (const auto& [page, count] : crawled.pages)
        twice += count > 1 ? 1 : 0;
    const int missed = pages - static_cast<int>(crawled.pages.size());
    if (memoryOnly) {
        report("crawl", crawl);
        std::printf("crawl: %d calendar pages, %d failed, %d taken twice, %d missed\n",
                    crawled.calendar, crawled.failed, twice, missed);
        server.kill();
        server.waitForFinished();
        return 0;
    }

    QStringList list;
    for (int i = 0; i < pages; ++i)
        list << site + QStringLiteral("%1.html").arg(i);
    const Measure baseline =
        measure(QStringList{"--capture", "--format", "jsonl", "-o", "list.jsonl"} + kPace +
                    QStringList{"-"},
                list, dir.path());

    const QStringList journaled{"-o", "resumed.jsonl", "--journal", "journal"};
    const Measure killed =
        measure(crawlArguments(start, journaled), {}, dir.path(), (pages + kMaxPerPattern) / 2);
    const Records atKill = readRecords(dir.filePath(QStringLiteral("resumed.jsonl")));
    const Measure resumed = measure(crawlArguments(start, journaled), {}, dir.path());
    const Records all = readRecords(dir.filePath(QStringLiteral("resumed.jsonl")));
    server.kill();
    server.waitForFinished();

    int redone = 0;
    for (const auto& [page, count] : atKill.pages)
        redone += all.pages.at(page) - count;
    redone += all.calendar - kMaxPerPattern > 0 ? all.calendar - kMaxPerPattern : 0;
    const int missedAfterResume = pages - static_cast<int>(all.pages.size());

    report("list of the same pages (baseline)", baseline);
    report("crawl", crawl);
    std::printf("crawl: %d calendar pages taken (the trap's bound), %d failed\n", crawled.calendar,
                crawled.failed);
    report("crawl until killed", killed);
    report("crawl resumed", resumed);
    const double listRate = baseline.pageLines / baseline.run.seconds;
    const double crawlRate = crawl.pageLines / crawl.run.seconds;
    Goal{"crawl_pages_taken_twice", static_cast<double>(twice), "<=", 0, "", 0}.print();
    Goal{"crawl_pages_missed", static_cast<double>(missed), "<=", 0, "", 0}.print();
    Goal{"crawl_resume_pages_redone", static_cast<double>(redone), "<=", 0, "", 0}.print();
    Goal{"crawl_resume_pages_missed", static_cast<double>(missedAfterResume), "<=", 0, "", 0}
        .print();
    Goal{"crawl_speed_vs_list", crawlRate / listRate, ">=", 0.75, "x"}.print();
    Goal{"crawl_memory_vs_list",
         static_cast<double>(crawl.run.peakTreeKb) / static_cast<double>(baseline.run.peakTreeKb),
         "<=", 1.25, "x"}
        .print();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool memoryOnly = arguments.contains(QStringLiteral("--memory"));
    const qsizetype given = arguments.indexOf(QStringLiteral("--pages"));
    const int pages = given > 0    ? arguments.value(given + 1).toInt()
                      : memoryOnly ? kMemoryPages
                                   : kDefaultPages;
    try {
        require(pages > 0, "--pages takes a number of pages");
        return runBench(pages, memoryOnly);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_crawl: measurement error: %s\n", e.what());
        return 1;
    }
}
