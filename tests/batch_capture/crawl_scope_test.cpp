// The crawl's reading of addresses: the key each variant of a page's address comes to, the
// scope, the traps and the non-pages, as one table; and the frontier that queues each page
// once, to its depth and its pattern's bound, breadth first through its spill file, and
// comes back the same from its journal lines.

#include "batch_capture/crawl_frontier.h"
#include "batch_capture/crawl_queue.h"
#include "batch_capture/crawl_scope.h"
#include "platform/capture_engine.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velcaro;
using Verdict = CrawlScope::Verdict;

namespace {

struct Case {
    const char* start;
    CrawlOptions::Scope scope;
    const char* link;
    // The key the link comes to, and what becomes of it.
    const char* key;
    Verdict verdict;
};

constexpr auto kPrefix = CrawlOptions::Scope::Prefix;
constexpr auto kHost = CrawlOptions::Scope::Host;
constexpr auto kDomain = CrawlOptions::Scope::Domain;
constexpr auto kPage = CrawlOptions::Scope::Page;
const char kDocs[] = "http://example.org/docs/index.html";

const Case kCases[] = {
    // Variants of one address come to one key.
    {kDocs, kPrefix, "HTTP://Example.ORG:80/docs/./x/../a.html#sopra",
     "http://example.org/docs/a.html", Verdict::Page},
    {kDocs, kPrefix, "http://example.org/docs/%61.html?", "http://example.org/docs/a.html",
     Verdict::Page},
    {kDocs, kPrefix, "http://example.org/docs/%7euser/%e2%82%ac",
     "http://example.org/docs/~user/%E2%82%AC", Verdict::Page},
    {kDocs, kPrefix, "http://example.org/docs/a%2fb", "http://example.org/docs/a%2Fb",
     Verdict::Page},
    {"https://example.org:443", kHost, "https://EXAMPLE.org:443", "https://example.org/",
     Verdict::Page},
    {kDocs, kPrefix, "http://example.org:8080/docs/a.html", "http://example.org:8080/docs/a.html",
     Verdict::OutOfScope},
    // The scopes' edges.
    {kDocs, kPrefix, "http://example.org/docsx/a.html", "http://example.org/docsx/a.html",
     Verdict::OutOfScope},
    {kDocs, kPrefix, "http://example.org/blog/", "http://example.org/blog/", Verdict::OutOfScope},
    {kDocs, kHost, "http://example.org/blog/", "http://example.org/blog/", Verdict::Page},
    {kDocs, kHost, "http://www.example.org/", "http://www.example.org/", Verdict::OutOfScope},
    {"http://www.example.org/", kDomain, "https://docs.example.org/a", "https://docs.example.org/a",
     Verdict::Page},
    {"http://www.example.org/", kDomain, "http://example.org.evil.net/",
     "http://example.org.evil.net/", Verdict::OutOfScope},
    {"http://news.bbc.co.uk/", kDomain, "http://www.bbc.co.uk/x", "http://www.bbc.co.uk/x",
     Verdict::Page},
    {"http://news.bbc.co.uk/", kDomain, "http://other.co.uk/x", "http://other.co.uk/x",
     Verdict::OutOfScope},
    {kDocs, kPage, "http://example.org/docs/a.html", "http://example.org/docs/a.html",
     Verdict::OutOfScope},
    {kDocs, kPage, "http://example.org/docs/index.html#x", "http://example.org/docs/index.html",
     Verdict::Page},
    // Other schemes are never followed from a web page.
    {kDocs, kDomain, "javascript:alert(1)", "javascript:alert(1)", Verdict::OutOfScope},
    {kDocs, kDomain, "data:text/html,ciao", "data:text/html,ciao", Verdict::OutOfScope},
    {kDocs, kDomain, "file:///etc/passwd", "file:///etc/passwd", Verdict::OutOfScope},
    // Traps by their shape, and files that are no pages.
    {kDocs, kPrefix, "http://example.org/docs/a/b/a/c/a/", "http://example.org/docs/a/b/a/c/a/",
     Verdict::Trap},
    {kDocs, kPrefix, "http://example.org/docs/?p=1&p=1", "http://example.org/docs/?p=1&p=1",
     Verdict::Trap},
    {kDocs, kPrefix, "http://example.org/docs/guida.PDF", "http://example.org/docs/guida.PDF",
     Verdict::Pdf},
    {kDocs, kPrefix, "http://example.org/docs/logo.png", "http://example.org/docs/logo.png",
     Verdict::NotAPage},
};

TEST(CrawlScope, EachVariantComesToOneKeyAndEachLinkToItsVerdict) {
    for (const Case& c : kCases) {
        CrawlOptions options;
        options.scope = c.scope;
        const CrawlScope scope(options, {QUrl(QString::fromUtf8(c.start))});
        ASSERT_TRUE(scope.problem().isEmpty());
        const QUrl url = CrawlScope::normalized(QUrl(QString::fromUtf8(c.link)), false);
        EXPECT_EQ(CrawlScope::key(url).toStdString(), c.key) << c.link;
        EXPECT_EQ(scope.judge(url), c.verdict) << c.link;
    }
    EXPECT_EQ(CrawlScope::key(CrawlScope::normalized(QUrl("http://a.org/x?b=1#c"), true)),
              QStringLiteral("http://a.org/x"));
    EXPECT_EQ(CrawlScope::pattern(QUrl("http://a.org/cal?month=2024-05&view=day")),
              CrawlScope::pattern(QUrl("http://a.org/cal?view=day&month=1999-12")));
    EXPECT_NE(CrawlScope::pattern(QUrl("http://a.org/w?title=Roma")),
              CrawlScope::pattern(QUrl("http://a.org/w?title=Milano")));

    CrawlOptions filtered;
    filtered.include = {QStringLiteral("/docs/")};
    filtered.exclude = {QStringLiteral("\\.old\\.html$")};
    const CrawlScope regex(filtered, {QUrl(QString::fromLatin1(kDocs))});
    EXPECT_EQ(regex.judge(QUrl("http://example.org/docs/a.html")), Verdict::Page);
    EXPECT_EQ(regex.judge(QUrl("http://example.org/docs/a.old.html")), Verdict::OutOfScope);
    filtered.include = {QStringLiteral("(")};
    EXPECT_FALSE(CrawlScope(filtered, {QUrl(QString::fromLatin1(kDocs))}).problem().isEmpty());
    CrawlOptions host;
    host.scope = kHost;
    EXPECT_FALSE(CrawlScope(host, {QUrl("file:///tmp/a.html")}).problem().isEmpty());
}

// A local start takes the files under its folder, never one a symbolic link leads out to.
TEST(CrawlScope, ALocalCrawlStaysInItsFolderThroughLinks) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir root(dir.path());
    ASSERT_TRUE(root.mkpath("sito/sub") && root.mkpath("fuori"));
    for (const char* name : {"sito/index.html", "sito/sub/a.html", "fuori/b.html"}) {
        QFile f(root.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(root.filePath("fuori/b.html"), root.filePath("sito/link.html")));
    ASSERT_TRUE(QFile::link(root.filePath("fuori"), root.filePath("sito/cartella")));
    const CrawlScope scope(CrawlOptions(), {QUrl::fromLocalFile(root.filePath("sito/index.html"))});
    const auto judge = [&](const char* path) {
        return scope.judge(CrawlScope::normalized(QUrl::fromLocalFile(root.filePath(path)), false));
    };
    EXPECT_EQ(judge("sito/sub/a.html"), Verdict::Page);
    EXPECT_EQ(judge("sito/sub/../../fuori/b.html"), Verdict::OutOfScope);
    EXPECT_EQ(judge("sito/link.html"), Verdict::OutOfScope);
    EXPECT_EQ(judge("sito/cartella/b.html"), Verdict::OutOfScope);
    EXPECT_EQ(scope.judge(QUrl("http://example.org/sito/index.html")), Verdict::OutOfScope);
}

PageLinks linksTo(const QStringList& links) {
    PageLinks page;
    page.links = links;
    page.answered = true;
    return page;
}

// Each page once, to the depth and the pattern's bound; a redirect's target and a canonical
// address are taken; the same text is a duplicate; and the journal's lines give a resumed
// frontier the same queue and the same knowledge.
TEST(CrawlFrontier, QueuesEachPageOnceAndResumesFromItsJournalLines) {
    QTemporaryDir dir;
    CrawlOptions options;
    options.depth = 2;
    options.maxPerPattern = 3;
    const QUrl start("http://s.org/d/index.html");
    const CrawlScope scope(options, {start});
    CrawlFrontier frontier(options, scope, dir.path(), true);
    EXPECT_TRUE(frontier.seed(start));
    EXPECT_FALSE(frontier.seed(QUrl("http://S.org:80/d/index.html#x")));
    QStringList links{"http://s.org/d/a.html", "http://s.org/d/./a.html#t", "http://s.org/d/r.html",
                      "http://s.org/d/b.html", "http://s.org/x.html",       "http://s.org/d/c.png"};
    for (int n = 0; n < 6; ++n)
        links << QStringLiteral("http://s.org/d/cal?m=%1").arg(n);
    ASSERT_EQ(frontier.next()->address, QStringLiteral("http://s.org/d/index.html"));
    const QStringList outgoing =
        frontier.taken("http://s.org/d/index.html", 0, start, linksTo(links));
    EXPECT_EQ(outgoing.size(), links.size() - 1) << "the two variants of a.html are one link";
    // r.html redirects to b.html, which is then taken; a.html names d.html as canonical.
    auto entry = frontier.next();
    ASSERT_EQ(entry->address, QStringLiteral("http://s.org/d/a.html"));
    PageLinks canonical = linksTo({"http://s.org/d/deep.html"});
    canonical.canonical = QStringLiteral("http://s.org/d/d.html");
    frontier.taken(entry->address, 1, QUrl(entry->address), canonical);
    entry = frontier.next();
    ASSERT_EQ(entry->address, QStringLiteral("http://s.org/d/r.html"));
    frontier.taken(entry->address, 1, QUrl("http://s.org/d/b.html"),
                   linksTo({"http://s.org/d/d.html", "http://s.org/d/deep.html"}));
    EXPECT_EQ(frontier.duplicateOf("http://s.org/d/a.html", "testo"), QString());
    EXPECT_EQ(frontier.duplicateOf("http://s.org/d/r.html", "testo"),
              QStringLiteral("http://s.org/d/a.html"));
    const QByteArrayList lines = frontier.journalLines();

    CrawlFrontier resumed(options, scope, dir.path(), true);
    for (const QByteArray& line : lines)
        resumed.read(QJsonDocument::fromJson(line).object());
    resumed.read(QJsonObject{{"address", "http://s.org/d/a.html"},
                             {"outcome", "ok"},
                             {"text", CrawlFrontier::textHash("testo")}});
    EXPECT_EQ(resumed.duplicateOf("http://s.org/d/z.html", "testo"),
              QStringLiteral("http://s.org/d/a.html"));
    EXPECT_FALSE(resumed.seed(start));
    QStringList rest;
    QStringList resumedRest;
    for (auto e = frontier.next(); e; e = frontier.next())
        rest << e->address;
    for (auto e = resumed.next(); e; e = resumed.next())
        resumedRest << e->address;
    // From the index: b.html was taken through r.html; three of the calendar's six; deep.html
    // from a.html at depth 2; d.html is a.html's canonical address.
    const QStringList expected{"http://s.org/d/index.html", "http://s.org/d/a.html",
                               "http://s.org/d/r.html",     "http://s.org/d/cal?m=0",
                               "http://s.org/d/cal?m=1",    "http://s.org/d/cal?m=2",
                               "http://s.org/d/deep.html"};
    EXPECT_EQ(rest, expected.mid(3));
    EXPECT_EQ(resumedRest, expected) << "a resumed queue holds the done pages too, in order";
    const CrawlFrontier::Counts counts = frontier.counts();
    EXPECT_EQ(counts.traps, 3);
    EXPECT_EQ(counts.trapPatterns, 1);
    EXPECT_EQ(counts.outOfScope, 1);
    EXPECT_EQ(counts.notPages, 1);
    EXPECT_EQ(counts.alreadyTaken, 1);
    EXPECT_EQ(counts.duplicates, 1);
}

// Past its bound in memory the queue goes through its file, in order.
TEST(CrawlQueue, SpillsToItsFileAndKeepsTheOrder) {
    QTemporaryDir dir;
    CrawlQueue queue(dir.path());
    const int total = CrawlQueue::kInMemory * 3 + 7;
    int popped = 0;
    CrawlQueue::Item item;
    for (int i = 0; i < total; ++i) {
        queue.push({QStringLiteral("http://s.org/%1").arg(i), i % 7, i % 2 == 0});
        // Some taken while others come, as a crawl does.
        if (i % 3 == 0) {
            ASSERT_TRUE(queue.pop(&item));
            ASSERT_EQ(item.address, QStringLiteral("http://s.org/%1").arg(popped));
            ++popped;
        }
    }
    while (queue.pop(&item)) {
        ASSERT_EQ(item.address, QStringLiteral("http://s.org/%1").arg(popped));
        ASSERT_EQ(item.depth, popped % 7);
        ASSERT_EQ(item.pdf, popped % 2 == 0);
        ++popped;
    }
    EXPECT_EQ(popped, total);
    EXPECT_TRUE(queue.problem().isEmpty());
}

} // namespace
