// The window's engine with its JIT compilers (the engine's own default, the baseline) and
// without them, as the program runs an engine whose security fixes are more than a year old
// (--js-flags=--no-expose-wasm --jitless; WebGL, which the program also turns off then, this
// machine's engine does not have in either mode): the time from GO to the end of the load of
// real pages and of pages whose scripts do the work, and the text "Copia testo Pag.Html"
// captures of each, which must not change. Real pages: the public article extraction
// benchmark's 181 pages at their own addresses through the local proxy of bench_maintext
// (skipped when its data is absent). Script pages: made here (script_pages.h). Each mode runs
// in a process of its own (engine_load_probe, offscreen), alternately: the script pages
// kScriptRounds times, the real pages kRounds times; a page's time is its median. Goals: no page's
// text changes; the real pages load in at most 1.15 times the baseline's time in all, the script
// pages at most 3 times (geometric mean of their ratios).
#include "../support/goal.h"
#include "article_pages.h"
#include "script_pages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

using namespace velcaro::bench;

namespace {

// The real pages take minutes a run; the script pages, whose times move more, seconds.
constexpr int kRounds = 2;
constexpr int kScriptRounds = 5;
// A real page whose text differs between the modes is loaded again alone, this many times in
// each mode, before it counts as changed: in the long runs a page's text may depend on the
// pages before it (their timers, the cache).
constexpr int kConfirmRounds = 3;
constexpr double kArticleGoal = 1.15;
constexpr double kScriptGoal = 3.0;
constexpr int kRunTimeoutMs = 60 * 60 * 1000;

struct Mode {
    const char* name;
    const char* flags;
};
const Mode kModes[] = {{"JIT (baseline)", "--js-flags=--no-jitless"},
                       {"hardened", "\"--js-flags=--no-expose-wasm --jitless\""}};

// One probe run: each page's load time in ms (-1: not loaded) and title, by index.
struct Run {
    std::map<int, qint64> ms;
    std::map<int, QString> title;
    QString folder;
};

Run runProbe(const QString& list, const QString& folder, const QString& flags) {
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), flags);
    probe.setProcessEnvironment(env);
    // The engine's own lines (certificates of the proxy, the pages' console) go to a log.
    probe.setStandardErrorFile(folder + QStringLiteral(".log"));
    probe.start(QStringLiteral(VELCARO_ENGINE_PROBE), {list, folder});
    probe.waitForFinished(kRunTimeoutMs);
    Run run;
    run.folder = folder;
    for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() < 2)
            continue;
        const int index = parts[0].toInt();
        run.ms[index] = parts[1].toLongLong();
        run.title[index] = QString::fromUtf8(line.mid(parts[0].size() + parts[1].size() + 2));
    }
    return run;
}

QByteArray textOf(const Run& run, int index) {
    QFile f(run.folder + "/" + QString::number(index) + ".txt");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The median of a page's times over `runs`, -1 when any run did not load it.
double medianMs(const std::vector<Run>& runs, int index) {
    std::vector<double> values;
    for (const Run& run : runs) {
        const auto it = run.ms.find(index);
        if (it == run.ms.end() || it->second < 0)
            return -1;
        values.push_back(static_cast<double>(it->second));
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Whether every run captured the same text of the page; `text` is that text.
bool steadyText(const std::vector<Run>& runs, int index, QByteArray* text) {
    *text = textOf(runs.front(), index);
    for (const Run& run : runs)
        if (textOf(run, index) != *text)
            return false;
    return true;
}

} // namespace

// Writes `addresses` one a line into `path`.
bool writeList(const QString& path, const QStringList& addresses) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(addresses.join(u'\n').toUtf8() + '\n') > 0;
}

// `rounds` runs of each mode over `list`, alternately, each in a new probe process.
void runModes(const QString& list, const QString& folder, const QString& flags, int rounds,
              std::vector<Run> runs[2]) {
    for (int round = 0; round < rounds; ++round)
        for (int m = 0; m < 2; ++m)
            runs[m].push_back(runProbe(list, folder + QStringLiteral("-%1-%2").arg(m).arg(round),
                                       flags + QString::fromLatin1(kModes[m].flags)));
}

// Whether the texts of page `index` are steady within each mode and the same in both;
// `steady` tells whether they were steady.
bool sameText(const std::vector<Run> runs[2], int index, bool* steady) {
    QByteArray base;
    QByteArray hard;
    *steady = steadyText(runs[0], index, &base) && steadyText(runs[1], index, &hard);
    return *steady && base == hard;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    const QString pageFolder = work.filePath(QStringLiteral("pagine"));
    // The check page, the WebAssembly page, then the script pages.
    const QStringList scriptPages = writeScriptPages(pageFolder);
    const QStringList scriptList =
        QStringList{writeEngineCheckPage(pageFolder), writeWebAssemblyPage(pageFolder)} +
        scriptPages;
    const int firstScript = 2;

    QString proxyFlags;
    QProcess server;
    QStringList articles;
    const QString data = articleBenchmarkFolder();
    if (QFile::exists(data + "/ground-truth.json")) {
        const std::vector<ArticlePage> pages =
            unpackArticlePages(data, work.filePath(QStringLiteral("articoli")));
        const int port = startPageServer(pages, work.path(), server);
        if (port == 0) {
            std::printf("bench_engine_hardening: the local page server did not start\n");
            return 1;
        }
        proxyFlags = QStringLiteral("--proxy-server=http://127.0.0.1:%1 "
                                    "--ignore-certificate-errors ")
                         .arg(port);
        for (const ArticlePage& page : pages)
            articles << page.address;
    } else {
        std::printf("real pages skipped: the article benchmark's data is not at %s\n",
                    qPrintable(data));
    }
    const QString scriptListFile = work.filePath(QStringLiteral("script.txt"));
    const QString articleListFile = work.filePath(QStringLiteral("articoli.txt"));
    if (!writeList(scriptListFile, scriptList) ||
        (!articles.isEmpty() && !writeList(articleListFile, articles)))
        return 1;
    std::printf("%d pages with scripts that do the work (%d runs of each mode), %d real pages "
                "(%d runs of each mode)\n",
                static_cast<int>(scriptPages.size()), kScriptRounds,
                static_cast<int>(articles.size()), kRounds);

    std::vector<Run> scriptRuns[2];
    runModes(scriptListFile, work.filePath(QStringLiteral("script")), QString(), kScriptRounds,
             scriptRuns);
    std::vector<Run> articleRuns[2];
    if (!articles.isEmpty())
        runModes(articleListFile, work.filePath(QStringLiteral("articoli")), proxyFlags, kRounds,
                 articleRuns);

    for (int m = 0; m < 2; ++m)
        std::printf("%s: the engine says %s; %s\n", kModes[m].name,
                    qPrintable(scriptRuns[m].front().title[0]),
                    textOf(scriptRuns[m].front(), 1).trimmed().constData());

    double logRatios = 0;
    int changed = 0;
    int same = 0;
    int unsteady = 0;
    const auto countText = [&](const std::vector<Run> runs[2], int index, const QString& name) {
        bool steady = false;
        if (sameText(runs, index, &steady))
            ++same;
        else if (!steady)
            ++unsteady;
        else {
            ++changed;
            std::printf("text changed: %s\n", qPrintable(name));
        }
    };
    for (int i = 0; i < static_cast<int>(scriptPages.size()); ++i) {
        const int index = firstScript + i;
        const double base = medianMs(scriptRuns[0], index);
        const double hard = medianMs(scriptRuns[1], index);
        std::printf("%-16s %6.0f ms baseline %6.0f ms hardened  %.2fx  (runs:",
                    qPrintable(QFileInfo(scriptPages[i]).fileName()), base, hard, hard / base);
        for (int m = 0; m < 2; ++m)
            for (const Run& run : scriptRuns[m])
                std::printf(" %lld", static_cast<long long>(run.ms.at(index)));
        std::printf(")\n");
        logRatios += std::log(hard / base);
        countText(scriptRuns, index, scriptPages[i]);
    }
    const double scriptRatio = std::exp(logRatios / static_cast<double>(scriptPages.size()));

    double articleBase = 0;
    double articleHard = 0;
    int articlesTimed = 0;
    for (int index = 0; index < static_cast<int>(articles.size()); ++index) {
        bool steady = false;
        if (!sameText(articleRuns, index, &steady) && steady) {
            const QString alone = work.filePath(QStringLiteral("sola-%1").arg(index));
            std::vector<Run> aloneRuns[2];
            if (!writeList(alone + QStringLiteral(".txt"), {articles[index]}))
                return 1;
            runModes(alone + QStringLiteral(".txt"), alone, proxyFlags, kConfirmRounds, aloneRuns);
            countText(aloneRuns, 0, articles[index]);
        } else {
            countText(articleRuns, index, articles[index]);
        }
        const double base = medianMs(articleRuns[0], index);
        const double hard = medianMs(articleRuns[1], index);
        if (base < 0 || hard < 0)
            continue;
        articleBase += base;
        articleHard += hard;
        ++articlesTimed;
    }
    const double articleRatio = articlesTimed ? articleHard / articleBase : 1;
    if (!articles.isEmpty())
        std::printf("real pages loaded in every run: %d of %d, %.1f s baseline, %.1f s "
                    "hardened (%.0f and %.0f ms a page)  %.3fx\n",
                    articlesTimed, static_cast<int>(articles.size()), articleBase / 1000,
                    articleHard / 1000, articleBase / articlesTimed, articleHard / articlesTimed,
                    articleRatio);
    // A page whose text is steady within each mode and differs between them, also loaded
    // alone, is changed by the hardening; one that moves within a mode (its scripts, a load
    // cut short) says nothing of it. The WebAssembly page is the class that does change,
    // told above.
    std::printf("captured text: %d pages the same in both modes, %d changed, %d not steady "
                "within a mode (left out)\n",
                same, changed, unsteady);
    Goal{"hardened_text_changes", static_cast<double>(changed), "<=", 0, "", 0}.print();
    if (!articles.isEmpty())
        Goal{"hardened_real_page_load_ratio", articleRatio, "<=", kArticleGoal, "x", 3}.print();
    Goal{"hardened_script_page_load_ratio", scriptRatio, "<=", kScriptGoal, "x"}.print();
    server.kill();
    server.waitForFinished();
    return 0;
}
