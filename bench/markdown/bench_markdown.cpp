// Our HTML to Markdown converter against pandoc's and turndown's on the same HTML: the web
// engine's copy of the fixture pages, of a generated page and of saved article pages (the
// public article extraction benchmark's, read from the shared data folder; left out when it is
// absent). For each converter: agreement with the engine's plain copy (the Markdown rendered by
// cmark-gfm with raw HTML passed through, then its words: the pages whose words come in the
// same order, and the mean F1 of the words taken as bags), speed in ms per MB of HTML, and the
// Markdown's size per byte of HTML. Then each on a 1 MB engine-style document, and ours on
// 15 MB. Goals: ours gives the words in order on at least 95 % of the pages, is the fastest,
// takes at most 30 times as long for 15 MB as for 1 MB (twice the time per MB, where a small
// document's cache ends; a quadratic pass would take 225 times), and peaks at most at 4 times
// the HTML's size in memory.
#include "../rtf/bench_documents.h"
#include "../support/goal.h"
#include "../support/offscreen_engine.h"
#include "markdown/html_to_markdown.h"
#include "markdown/rendered_words.h"
#include "other_converters.h"
#include "rtf/engine_copy.h"
#include "rtf/generated_page.h"
#include "saved_pages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

using namespace velcaro;
using namespace velcaro::bench;

namespace {

constexpr int kDefaultSavedPages = 40;

struct Page {
    QString name;
    QUrl url;
    QByteArray html; // the engine's copy, UTF-8
    QString text;    // the engine's plain copy
};

struct Score {
    const char* converter;
    int pages = 0;
    int sameWords = 0;
    double f1 = 0;
    qint64 htmlBytes = 0;
    qint64 markdownBytes = 0;
    double seconds = 0;

    double msPerMb() const { return htmlBytes ? seconds * 1e3 / (htmlBytes / 1e6) : 0; }
};

// The F1 of two texts' words taken as bags: how many words they share, against both counts.
double bagF1(const QStringList& got, const QStringList& want) {
    if (got.isEmpty() && want.isEmpty())
        return 1;
    QHash<QString, int> counts;
    for (const QString& w : want)
        ++counts[w];
    int shared = 0;
    for (const QString& w : got) {
        auto it = counts.find(w);
        if (it != counts.end() && *it > 0) {
            --*it;
            ++shared;
        }
    }
    return 2.0 * shared / (got.size() + want.size());
}

// Where two lists of words first part, with a few words of each from there. With
// VELCARO_MARKDOWN_DUMP naming a folder, the page's HTML, plain copy and Markdown go there.
void printFirstDifference(const Page& page, const QString& markdown, const QStringList& got,
                          const QStringList& want) {
    qsizetype at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at])
        ++at;
    std::printf("  ours differs on %s at word %lld: \"%s\" instead of \"%s\"\n",
                qPrintable(page.name), static_cast<long long>(at),
                qPrintable(got.mid(at, 6).join(u' ')), qPrintable(want.mid(at, 6).join(u' ')));
    const QString dump = qEnvironmentVariable("VELCARO_MARKDOWN_DUMP");
    if (dump.isEmpty())
        return;
    const QDir folder(dump);
    for (const auto& [extension, content] : {std::pair{".html", page.html},
                                             {".txt", page.text.toUtf8()},
                                             {".md", markdown.toUtf8()}}) {
        QFile file(folder.filePath(page.name + QLatin1String(extension)));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }
}

void score(Score& s, const Page& page, const Conversion& c) {
    if (!c.ok)
        return;
    const QStringList got = markdown::test::wordsOf(
        markdown::test::textOfHtml(markdown::test::renderMarkdown(c.markdown, true)));
    const QStringList want = markdown::test::wordsOf(page.text);
    ++s.pages;
    if (got == want)
        ++s.sameWords;
    else if (s.converter == std::string_view("ours"))
        printFirstDifference(page, c.markdown, got, want);
    s.f1 += bagF1(got, want);
    s.htmlBytes += page.html.size();
    s.markdownBytes += c.markdown.toUtf8().size();
    s.seconds += c.seconds;
}

Conversion convertWithOurs(const QByteArray& html, const QUrl& url, int runs = 3) {
    Conversion best{true, {}, 1e9};
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        best.markdown = markdown::htmlToMarkdown(html, url);
        best.seconds = std::min(best.seconds, clock.nsecsElapsed() / 1e9);
    }
    return best;
}

// A field of /proc/self/status in kB (VmRSS: resident now, VmHWM: the peak since the last
// reset), 0 when it cannot be read.
qint64 residentKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Makes the peak resident size the current one, so that VmHWM measures what follows.
void resetPeakResident() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QString benchmarkFolder() {
    const QString named = qEnvironmentVariable("VELCARO_ARTICLE_BENCHMARK");
    return QDir::cleanPath(named.isEmpty() ? QStringLiteral(VELCARO_ARTICLE_BENCHMARK) : named);
}

} // namespace

int main(int argc, char** argv) {
    prepareOffscreenEngine();
    SavedPages::registerScheme();
    QApplication app(argc, argv);
    bool ok = false;
    int savedCount = qEnvironmentVariableIntValue("VELCARO_MARKDOWN_PAGES", &ok);
    if (!ok)
        savedCount = kDefaultSavedPages;
    SavedPages saved(benchmarkFolder(), savedCount);
    saved.install();

    QList<QPair<QString, QUrl>> sources;
    for (const char* name : {"article.html", "tricky.html"})
        sources.append(
            {QString::fromUtf8(name),
             QUrl::fromLocalFile(QDir(QStringLiteral(VELCARO_FIXTURE_PAGES)).filePath(name))});
    QTemporaryDir folder;
    QFile generated(folder.filePath(QStringLiteral("generated.html")));
    if (generated.open(QIODevice::WriteOnly)) {
        generated.write(rtf::test::generatedPage(11));
        generated.close();
        sources.append(
            {QStringLiteral("generated.html"), QUrl::fromLocalFile(generated.fileName())});
    }
    for (const QUrl& url : saved.urls())
        sources.append({url.path().left(12), url});

    std::vector<Page> pages;
    for (const auto& [name, url] : sources) {
        const rtf::test::EngineCopy copy = rtf::test::copyPageInEngine(url, 60000);
        if (copy.ok && !copy.text.trimmed().isEmpty())
            pages.push_back({name, url, copy.html.toUtf8(), copy.text});
        else
            std::printf("  no engine copy of %s\n", qPrintable(name));
    }
    std::printf("pages: %zu copied by the engine (%d of them saved article pages asked for)\n",
                pages.size(), savedCount);
    if (pages.empty())
        return 1;

    std::vector<QByteArray> documents;
    for (const Page& page : pages)
        documents.push_back(page.html);
    const std::vector<Conversion> pandoc = convertWithPandoc(documents);
    const std::vector<Conversion> turndown = convertWithTurndown(documents);
    Score scores[] = {{"ours"}, {"pandoc"}, {"turndown"}};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        score(scores[0], pages[i], convertWithOurs(pages[i].html, pages[i].url));
        score(scores[1], pages[i], pandoc[i]);
        score(scores[2], pages[i], turndown[i]);
    }
    std::printf("\n%-10s %7s %11s %9s %9s %10s\n", "converter", "pages", "same words", "word F1",
                "ms/MB", "md/html");
    for (const Score& s : scores) {
        if (!s.pages) {
            std::printf("%-10s did not run\n", s.converter);
            continue;
        }
        std::printf("%-10s %7d %11d %9.4f %9.1f %10.3f\n", s.converter, s.pages, s.sameWords,
                    s.f1 / s.pages, s.msPerMb(), double(s.markdownBytes) / s.htmlBytes);
    }

    // Engine-style documents: every element with its computed style inline.
    const QByteArray oneMb = rtf::bench::makeEngineHtml(1000000, 50);
    const QByteArray fifteenMb = rtf::bench::makeEngineHtml(15000000, 500);
    const QUrl base(QStringLiteral("https://example.org/"));
    // Memory first, with the heap's free pages given back, so that none of them is reused
    // unseen.
    malloc_trim(0);
    const qint64 rssBefore = residentKb("VmRSS:");
    resetPeakResident();
    const qsizetype markdown15 = markdown::htmlToMarkdown(fifteenMb, base).size();
    const double peakMb = (residentKb("VmHWM:") - rssBefore) / 1024.0;
    const double ours1 = convertWithOurs(oneMb, base, 10).seconds;
    const double ours15 = convertWithOurs(fifteenMb, base, 2).seconds;
    std::printf("\n15 MB of engine-style HTML: %.1f MB of Markdown, peak memory %.1f MB over the "
                "resident size before (%.2f times the HTML)\n",
                markdown15 * 2 / 1e6, peakMb, peakMb * 1024 * 1024 / fifteenMb.size());
    const std::vector<Conversion> pandoc1 = convertWithPandoc({oneMb});
    const std::vector<Conversion> turndown1 = convertWithTurndown({oneMb});
    std::printf(
        "\nengine-style HTML, ms per MB: ours %.1f (1 MB), %.1f (15 MB); pandoc %s; "
        "turndown %s (1 MB)\n",
        ours1 * 1e3 / (oneMb.size() / 1e6), ours15 * 1e3 / (fifteenMb.size() / 1e6),
        pandoc1[0].ok
            ? qPrintable(QString::number(pandoc1[0].seconds * 1e3 / (oneMb.size() / 1e6), 'f', 1))
            : "-",
        turndown1[0].ok
            ? qPrintable(QString::number(turndown1[0].seconds * 1e3 / (oneMb.size() / 1e6), 'f', 1))
            : "-");

    std::vector<Goal> goals;
    goals.push_back({"ours share of pages with the engine's words",
                     double(scores[0].sameWords) / scores[0].pages, ">=", 0.95});
    for (const Score& other : {scores[1], scores[2]}) {
        if (other.pages)
            goals.push_back({other.converter == std::string_view("pandoc")
                                 ? "ours speed-up over pandoc"
                                 : "ours speed-up over turndown",
                             other.msPerMb() / scores[0].msPerMb(), ">=", 1});
    }
    goals.push_back(
        {"ours peak memory / HTML size (15 MB)", peakMb * 1024 * 1024 / fifteenMb.size(), "<=", 4});
    goals.push_back({"ours 15MB/1MB",
                     ours15 / ours1 * (double(oneMb.size()) * 15 / fifteenMb.size()), "<=", 30});
    for (const Goal& g : goals)
        g.print();
    return 0;
}
