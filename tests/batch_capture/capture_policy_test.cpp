// The building blocks of a capture at scale: the journal a run resumes from, the retry
// policy, the pacing of each host, the robots.txt rules and the sitemaps.

#include "batch_capture/capture_journal.h"
#include "batch_capture/host_pacer.h"
#include "batch_capture/retry_policy.h"
#include "batch_capture/robots_rules.h"
#include "batch_capture/sitemap_crawl.h"
#include "batch_capture/sitemap_reader.h"
#include "support/qt_printers.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>
#include <zlib.h>

using namespace velcaro;

namespace {

// --- Journal ---

class Journal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QFile page(output);
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    }

    JournalEntry entry(const QString& address, bool ok) const {
        JournalEntry e;
        e.address = address;
        e.outcome = ok ? JournalEntry::Outcome::Ok : JournalEntry::Outcome::Failed;
        e.output = ok ? output : QString();
        e.reason = ok ? QString() : QStringLiteral("il server ha risposto con l'errore HTTP 503");
        e.ms = 1234;
        e.time = QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);
        return e;
    }
    void record(CaptureJournal& journal, const JournalEntry& e) {
        QString problem;
        EXPECT_TRUE(journal.record(e, &problem)) << problem.toStdString();
    }
    void record(CaptureJournal& journal, const QString& address, bool ok) {
        record(journal, entry(address, ok));
    }
    CaptureJournal::Opening open(CaptureJournal& journal, const JournalPurpose& p,
                                 QString* problem) {
        return journal.open(path, p, problem);
    }
    void openOrFail(CaptureJournal& journal) {
        QString problem;
        ASSERT_EQ(open(journal, purpose, &problem), CaptureJournal::Opening::Opened)
            << problem.toStdString();
    }
    bool done(const CaptureJournal& journal, const QString& address) const {
        return journal.done(address, output);
    }
    QByteArray content() {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void setContent(const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("giornale.jsonl"));
    const QString output = dir.filePath(QStringLiteral("pagina.txt"));
    const JournalPurpose purpose{QStringLiteral("txt"), dir.path(), false, {}};
};

TEST_F(Journal, AReopenedJournalSkipsTheDoneAndRetriesTheFailed) {
    const QString quoted = QStringLiteral("https://例え.jp/\"citazione\"\\caffè?q=«sì»");
    {
        CaptureJournal journal;
        openOrFail(journal);
        record(journal, "https://a.org/ok", true);
        record(journal, "https://a.org/failed", false);
        record(journal, "https://a.org/twice", false);
        record(journal, "https://a.org/twice", false);
        record(journal, "https://a.org/then-ok", false);
        record(journal, "https://a.org/then-ok", true);
        record(journal, quoted, true);
    }
    const QList<QByteArray> lines = content().split('\n');
    ASSERT_EQ(lines.size(), 9) << "what it is for, one line per record and a final newline";
    const QJsonObject ok = QJsonDocument::fromJson(lines[1]).object();
    EXPECT_EQ(ok.value("outcome").toString(), "ok");
    EXPECT_EQ(ok.value("output").toString(), output);
    EXPECT_EQ(ok.value("ms").toInteger(), 1234);
    EXPECT_EQ(ok.value("time").toString(), "2024-03-01T12:00:00.000Z");
    EXPECT_FALSE(ok.contains("reason"));
    EXPECT_EQ(QJsonDocument::fromJson(lines[2]).object().value("reason").toString(),
              entry({}, false).reason);

    CaptureJournal journal;
    openOrFail(journal);
    EXPECT_TRUE(done(journal, "https://a.org/ok"));
    EXPECT_TRUE(done(journal, "https://a.org/then-ok"));
    EXPECT_TRUE(done(journal, quoted));
    EXPECT_FALSE(done(journal, "https://a.org/failed"));
    EXPECT_FALSE(done(journal, "https://a.org/never"));
    EXPECT_FALSE(done(journal, "https://A.org/ok")) << "addresses are keys as given";
    EXPECT_FALSE(done(journal, "https://a.org/twice"));
    record(journal, "https://a.org/failed", true);
    EXPECT_TRUE(done(journal, "https://a.org/failed"));
    record(journal, "https://a.org/ok", false);
    EXPECT_FALSE(done(journal, "https://a.org/ok")) << "the last outcome counts";
}

TEST_F(Journal, ALineCutShortIsIgnoredAndTheNextRecordStartsOnItsOwnLine) {
    const QByteArray whole = CaptureJournal::line(entry("https://a.org/1", true)) + '\n';
    const QByteArray cut = CaptureJournal::line(entry("https://a.org/2", true));
    for (const qsizetype length : {qsizetype(1), qsizetype(8), qsizetype(30), cut.size() - 1}) {
        SCOPED_TRACE(length);
        setContent(whole + cut.left(length));
        {
            CaptureJournal journal;
            openOrFail(journal);
            EXPECT_TRUE(done(journal, "https://a.org/1"));
            EXPECT_FALSE(done(journal, "https://a.org/2"));
            record(journal, "https://a.org/3", true);
            EXPECT_TRUE(content().endsWith(
                '\n' + CaptureJournal::line(entry("https://a.org/3", true)) + '\n'));
        }
        CaptureJournal reopened;
        openOrFail(reopened);
        EXPECT_TRUE(done(reopened, "https://a.org/1"));
        EXPECT_TRUE(done(reopened, "https://a.org/3"));
        EXPECT_FALSE(done(reopened, "https://a.org/2"));
    }
}

// A journal is for one run's pages: reused for another output, format or scope it is refused;
// a page whose output went (deleted, another folder, a records file emptied by the shell's
// "> file") is taken again; a second run waits for none and is told; no link, pipe or
// other file is read as a journal.
TEST_F(Journal, APageIsDoneOnlyWhereItsOutputStillIs) {
    {
        CaptureJournal journal;
        openOrFail(journal);
        record(journal, "https://a.org/page", true);
        JournalEntry inRecords = entry("https://a.org/record", true);
        inRecords.output = dir.filePath("pagine.jsonl");
        inRecords.end = 10;
        record(journal, inRecords);

        CaptureJournal second;
        QString problem;
        EXPECT_EQ(open(second, purpose, &problem), CaptureJournal::Opening::Failed);
        EXPECT_TRUE(problem.contains(QStringLiteral("in uso"))) << problem.toStdString();
    }
    const QByteArray written = content();
    for (const JournalPurpose& other : {JournalPurpose{"rtf", dir.path(), false, {}},
                                        JournalPurpose{"txt", dir.filePath("x"), false, {}},
                                        JournalPurpose{"txt", dir.path(), true, {}}}) {
        CaptureJournal journal;
        QString problem;
        EXPECT_EQ(open(journal, other, &problem), CaptureJournal::Opening::ForAnotherRun);
        EXPECT_TRUE(problem.contains(QStringLiteral("di un'altra cattura")))
            << problem.toStdString();
    }
    EXPECT_EQ(content(), written);

    {
        CaptureJournal journal;
        openOrFail(journal);
        EXPECT_TRUE(done(journal, "https://a.org/page"));
        EXPECT_FALSE(journal.done("https://a.org/page", dir.filePath("altrove.txt")));
        EXPECT_FALSE(journal.done("https://a.org/record", dir.filePath("pagine.jsonl")));
    }
    QFile records(dir.filePath("pagine.jsonl"));
    ASSERT_TRUE(records.open(QIODevice::WriteOnly));
    records.write("0123456789");
    records.close();
    ASSERT_TRUE(QFile::remove(output));
    CaptureJournal journal;
    openOrFail(journal);
    EXPECT_TRUE(journal.done("https://a.org/record", dir.filePath("pagine.jsonl")));
    EXPECT_FALSE(done(journal, "https://a.org/page"));
}

TEST_F(Journal, WhatIsNotAJournalIsRefusedAndLeftAsItIs) {
    const QByteArray addresses = "https://a.org/1\nhttps://a.org/2\n";
    setContent(addresses);
    CaptureJournal journal;
    QString problem;
    EXPECT_EQ(open(journal, purpose, &problem), CaptureJournal::Opening::Failed);
    EXPECT_TRUE(problem.contains(QStringLiteral("non è un giornale di cattura")))
        << problem.toStdString();
    EXPECT_EQ(content(), addresses);

    EXPECT_EQ(journal.open(dir.filePath("manca/giornale.jsonl"), purpose, &problem),
              CaptureJournal::Opening::Failed);
    EXPECT_TRUE(problem.contains(QStringLiteral("la cartella non esiste")))
        << problem.toStdString();

    const QString link = dir.filePath("collegamento.jsonl");
    ASSERT_TRUE(QFile::link(dir.filePath("fuori.jsonl"), link));
    EXPECT_EQ(journal.open(link, purpose, &problem), CaptureJournal::Opening::Failed);
    EXPECT_TRUE(problem.contains(QStringLiteral("collegamento simbolico")))
        << problem.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("fuori.jsonl")));

    const QByteArray pipe = QFile::encodeName(dir.filePath("tubo.jsonl"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    EXPECT_EQ(journal.open(dir.filePath("tubo.jsonl"), purpose, &problem),
              CaptureJournal::Opening::Failed);
    EXPECT_TRUE(problem.contains(QStringLiteral("non è un file"))) << problem.toStdString();
}

// --- Retries ---

PageFailure failure(PageError error, int httpStatus = 0, bool pageHasText = false) {
    PageFailure f;
    f.error = error;
    f.httpStatus = httpStatus;
    f.pageHasText = pageHasText;
    return f;
}

TEST(RetryPolicyTest, OnlyTransientFailuresAreTriedAgainAndOnlyRetriesTimes) {
    using Kind = PageError;
    const struct {
        PageFailure failure;
        bool transient;
    } cases[] = {
        {failure(Kind::TimedOut), true},         {failure(Kind::Reset), true},
        {failure(Kind::Refused), true},          {failure(Kind::ProcessEnded), true},
        {failure(Kind::HttpStatus, 429), true},  {failure(Kind::HttpStatus, 502), true},
        {failure(Kind::HttpStatus, 503), true},  {failure(Kind::HttpStatus, 504), true},
        {failure(Kind::NoText, 0, true), true},  {failure(Kind::NoText, 0, false), false},
        {failure(Kind::HttpStatus, 404), false}, {failure(Kind::HttpStatus, 500), false},
        {failure(Kind::HttpStatus, 403), false}, {failure(Kind::Other), false},
        {failure(Kind::OutOfMemory), false},     {failure(Kind::NameNotResolved), false},
        {failure(Kind::CopyTimedOut), false},
    };
    const RetryPolicy policy(2);
    const RetryPolicy never(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.failure.error) * 1000 + c.failure.httpStatus);
        EXPECT_EQ(RetryPolicy::isTransient(c.failure), c.transient);
        EXPECT_EQ(policy.shouldRetry(c.failure, 1), c.transient);
        EXPECT_EQ(policy.shouldRetry(c.failure, 2), c.transient);
        EXPECT_FALSE(policy.shouldRetry(c.failure, 3));
        EXPECT_FALSE(never.shouldRetry(c.failure, 1));
    }
}

TEST(RetryPolicyTest, TheWaitDoublesWithEqualJitterAndARetryAfterWinsWhenLonger) {
    const struct {
        int triesSoFar;
        double random;
        int retryAfterSeconds;
        int delayMs;
    } cases[] = {
        {1, 0.0, -1, 500},  {1, 0.5, -1, 750},   {1, 0.999, -1, 999},    {2, 0.0, -1, 1000},
        {3, 0.5, -1, 3000}, {7, 0.0, -1, 30000}, {40, 0.999, -1, 59970}, {1, 0.0, 5, 5000},
        {6, 0.5, 5, 24000}, {1, 0.0, 0, 500},    {1, 0.0, 3600, 600000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.triesSoFar);
        const RetryPolicy policy(2, [&] { return c.random; });
        PageFailure f = failure(PageError::HttpStatus, 503);
        f.retryAfterSeconds = c.retryAfterSeconds;
        EXPECT_EQ(policy.delayMs(c.triesSoFar, f), c.delayMs);
    }
}

TEST(RetryPolicyTest, RetryAfterIsReadInSecondsOrAsAnHttpDate) {
    const QDateTime now(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);
    const struct {
        const char* value;
        int seconds;
    } cases[] = {
        {"120", 120},
        {" 0 ", 0},
        {"99999999999999999999", std::numeric_limits<int>::max()},
        {"Fri, 01 Mar 2024 12:01:30 GMT", 90},
        {"Friday, 01-Mar-24 12:00:10 GMT", 10},
        {"Fri Mar  1 12:00:05 2024", 5},
        {"Fri, 01 Mar 2024 11:00:00 GMT", 0},
        // Two digits more than 50 years ahead are of the century before: 1994, long past.
        {"Sunday, 06-Nov-94 08:49:37 GMT", 0},
        {"Fri, 01 Mar 2024 12:01:30 CET", -1},
        {"Fri, 01 Xyz 2024 12:01:30 GMT", -1},
        {"-5", -1},
        {"1.5", -1},
        {"presto", -1},
        {"", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseRetryAfter(c.value, now), c.seconds) << c.value;
}

// --- Pacing ---

TEST(HostPacerTest, AHostHasAtMostPerHostPagesLoading) {
    HostPacer pacer(2, 0);
    const QUrl first("https://example.org/1");
    pacer.started(first, 0);
    pacer.started(QUrl("http://EXAMPLE.org:8080/2"), 0);
    EXPECT_FALSE(pacer.mayStart(QUrl("https://example.org/3"), 0)) << "host without case or port";
    EXPECT_EQ(pacer.nextStartMs(QUrl("https://example.org/3"), 0), HostPacer::kWhenOneFinishes);
    EXPECT_TRUE(pacer.mayStart(QUrl("https://other.org/1"), 0));
    pacer.finished(first);
    EXPECT_TRUE(pacer.mayStart(QUrl("https://example.org/3"), 0));
    EXPECT_EQ(pacer.nextStartMs(QUrl("https://example.org/3"), 7), 7);

    for (int i = 0; i < 5; ++i)
        pacer.started(QUrl::fromLocalFile(QStringLiteral("/tmp/%1.html").arg(i)), 0);
    EXPECT_TRUE(pacer.mayStart(QUrl::fromLocalFile("/tmp/5.html"), 0)) << "local files";
}

TEST(HostPacerTest, TwoStartsOnAHostAreDelayApart) {
    HostPacer pacer(5, 1000);
    const QUrl page("https://example.org/1");
    pacer.started(page, 100);
    pacer.finished(page);
    EXPECT_FALSE(pacer.mayStart(page, 1099));
    EXPECT_EQ(pacer.nextStartMs(page, 600), 1100);
    EXPECT_TRUE(pacer.mayStart(page, 1100));
    EXPECT_EQ(pacer.nextStartMs(page, 5000), 5000);
    EXPECT_TRUE(pacer.mayStart(QUrl("https://other.org/1"), 101));
}

// --- robots.txt ---

TEST(RobotsRulesTest, TheLongestMatchOfTheAgentsGroupDecides) {
    const QString agent =
        QStringLiteral("Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
                       "QtWebEngine/6.4.2 Chrome/102.0.5005.177 Safari/537.36");
    const struct {
        const char* robots;
        const char* path;
        bool allowed;
    } cases[] = {
        {"", "/x", true},
        {"User-agent: *\nDisallow: /private\n", "/private/a", false},
        {"User-agent: *\nDisallow: /private\n", "/privateer", false},
        {"User-agent: *\nDisallow: /private\n", "/public", true},
        {"User-agent: *\nDisallow:\n", "/x", true},
        {"Disallow: /\n", "/x", true},
        {"User-agent: *\nDisallow: /\n", "/robots.txt", true},
        {"User-agent: *\nDisallow: /\n", "", false},
        // Longest match; Allow wins a tie.
        {"User-agent: *\nDisallow: /a\nAllow: /a/b\n", "/a/b/c", true},
        {"User-agent: *\nDisallow: /a\nAllow: /a/b\n", "/a/c", false},
        {"User-agent: *\nAllow: /a/b\nDisallow: /a/b*\n", "/a/b", false},
        {"User-agent: *\nDisallow: /p\nAllow: /p\n", "/p", true},
        // Wildcards, the end anchor, the query.
        {"User-agent: *\nDisallow: /*.pdf$\n", "/doc/x.pdf", false},
        {"User-agent: *\nDisallow: /*.pdf$\n", "/doc/x.pdf?dl=1", true},
        {"User-agent: *\nDisallow: /*.pdf$\n", "/doc/x.PDF", true},
        {"User-agent: *\nDisallow: /*/private/*.html\n", "/a/b/private/c/d.html", false},
        {"User-agent: *\nDisallow: /*/private/*.html\n", "/a/private.html", true},
        {"User-agent: *\nDisallow: /search?q=\n", "/search?q=gatti", false},
        {"User-agent: *\nDisallow: /search?q=\n", "/search", true},
        {"User-agent: *\nDisallow: /*ab$\n", "/abab", false},
        {"User-agent: *\nDisallow: /*ab$\n", "/abba", true},
        {"User-agent: *\nDisallow: /a*a$\n", "/a", true},
        {"User-agent: *\nDisallow: /a*a$\n", "/aa", false},
        {"User-agent: *\nDisallow: /$\n", "/", false},
        {"User-agent: *\nDisallow: /$\n", "/x", true},
        {"User-agent: *\nDisallow: /**x*\n", "/yx", false},
        {"User-agent: *\nDisallow: /*a*b*c\n", "/xaxbxc/d", false},
        {"User-agent: *\nDisallow: /*a*b*c\n", "/xcxbxa", true},
        {"User-agent: *\nDisallow: /*abcabd\n", "/abcabcabd", false},
        {"User-agent: *\nDisallow: /*aab\n", "/aaaab", false},
        {"User-agent: *\nDisallow: /*aab\n", "/aaaa", true},
        // One form of percent-encoding.
        {"User-agent: *\nDisallow: /caffè\n", "/caff%C3%A8/x", false},
        {"User-agent: *\nDisallow: /caff%c3%a8\n", "/caffè", false},
        {"User-agent: *\nDisallow: /%7Euser\n", "/~user/x", false},
        {"User-agent: *\nDisallow: /a%2fb\n", "/a%2Fb", false},
        {"User-agent: *\nDisallow: /a%2fb\n", "/a/b", true},
        // BOM, CRLF, CR, comments.
        {"\xEF\xBB\xBFUser-agent: * # all\r\nDisallow: /x # no\r\n", "/x", false},
        {"\xEF\xBB\xBFUser-agent: * # all\r\nDisallow: /x # no\r\n", "/y", true},
        {"User-agent: *\rDisallow: /x\r", "/x", false},
        {"User-agent: *\nDisallow: /x#y\n", "/x", false},
        // The agent's group: a product name, the longest, groups of one name merged.
        {"User-agent: chrome\nDisallow: /c\n\nUser-agent: *\nDisallow: /\n", "/x", true},
        {"User-agent: chrome\nDisallow: /c\n\nUser-agent: *\nDisallow: /\n", "/c", false},
        {"User-agent: Chrome\nDisallow: /c\nUser-agent: QtWebEngine\nDisallow: /q\n", "/c", true},
        {"User-agent: Chrome\nDisallow: /c\nUser-agent: QtWebEngine\nDisallow: /q\n", "/q", false},
        {"User-agent: Chrome/102\nDisallow: /v\n", "/v", false},
        {"User-agent: other\nUser-agent: webengine\nDisallow: /m\n", "/m", false},
        {"User-agent: Googlebot\nDisallow: /\n", "/x", true},
        {"User-agent: gecko\nDisallow: /\n", "/x", true},
        {"User-agent: chrome\nDisallow: /1\nUser-agent: *\nDisallow: /\nUser-agent: CHROME\n"
         "Disallow: /2\n",
         "/2", false},
        {"User-agent: chrome\nDisallow: /1\nUser-agent: *\nDisallow: /\nUser-agent: CHROME\n"
         "Disallow: /2\n",
         "/3", true},
    };
    for (const auto& c : cases) {
        const RobotsRules rules = RobotsRules::parse(c.robots, agent);
        EXPECT_EQ(rules.allowed(QUrl(QStringLiteral("https://example.org") + c.path)), c.allowed)
            << c.robots << c.path;
    }
}

TEST(RobotsRulesTest, SitemapsTheCapOnTheBodyAndAServerThatFailed) {
    const RobotsRules rules = RobotsRules::parse(
        "Sitemap: https://a.org/s.xml\nUser-agent: *\nSitemap: https://a.org/t.xml.gz\n"
        "Disallow: /x\n",
        "QtWebEngine/6.4.2");
    EXPECT_FALSE(rules.allowed(QUrl("https://a.org/x"))) << "a Sitemap line ends no group";

    const QByteArray padding(RobotsRules::kMaxBodyBytes, '#');
    EXPECT_TRUE(RobotsRules::parse(padding + "\nUser-agent: *\nDisallow: /\n", "Chrome")
                    .allowed(QUrl("https://a.org/x")));
    // A line the bound cuts is left out: "Allow: /" would allow what "Allow: /qui" does not.
    const QByteArray head = "User-agent: *\nDisallow: /\n#";
    const QByteArray cut =
        head + QByteArray(RobotsRules::kMaxBodyBytes - head.size() - 9, '#') + "\nAllow: /qui\n";
    EXPECT_FALSE(RobotsRules::parse(cut, "Chrome").allowed(QUrl("https://a.org/x")));
    EXPECT_TRUE(RobotsRules::parse(cut.left(RobotsRules::kMaxBodyBytes) + '\n', "Chrome")
                    .allowed(QUrl("https://a.org/x")))
        << "a line that ends at the bound is read";

    const RobotsRules unreachable = RobotsRules::unreachable(QStringLiteral("errore HTTP 503"));
    EXPECT_FALSE(unreachable.allowed(QUrl("https://a.org/")));
    EXPECT_TRUE(unreachable.allowed(QUrl("https://a.org/robots.txt")));
    EXPECT_EQ(unreachable.refusal(),
              QStringLiteral("robots.txt del sito non raggiungibile (errore HTTP 503)"));
}

// --- Sitemaps ---

QByteArray gzip(const QByteArray& data) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    return out;
}

QByteArray urlset(const QStringList& pages) {
    QByteArray xml = "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
    for (const QString& page : pages)
        xml += "<url><loc>" + page.toUtf8() + "</loc></url>";
    return xml + "</urlset>";
}

QByteArray sitemapIndex(const QStringList& sitemaps) {
    QByteArray xml = "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
    for (const QString& sitemap : sitemaps)
        xml += "<sitemap><loc>" + sitemap.toUtf8() + "</loc></sitemap>";
    return xml + "</sitemapindex>";
}

TEST(SitemapReaderTest, PagesOfAUrlsetPlainOrCompressed) {
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"\n"
        "        xmlns:image=\"http://www.google.com/schemas/sitemap-image/1.1\">\n"
        "  <url><loc> https://a.org/1?x=1&amp;y=2 </loc><lastmod>2024-01-01</lastmod>\n"
        "    <image:image><image:loc>https://a.org/i.png</image:loc></image:image></url>\n"
        "  <url><loc><![CDATA[https://a.org/caffè]]></loc></url>\n"
        "  <sm:url xmlns:sm=\"http://www.sitemaps.org/schemas/sitemap/0.9\">"
        "<sm:loc>http://a.org/3</sm:loc></sm:url>\n"
        "  <url><loc>file:///etc/passwd</loc></url>\n"
        "  <url><loc>javascript:alert(1)</loc></url>\n"
        "  <url><loc>https://a.org/" +
        QByteArray(SitemapReader::kMaxAddressLength, 'x') +
        "</loc></url>\n"
        "</urlset>\n";
    const QStringList pages{"https://a.org/1?x=1&y=2", QStringLiteral("https://a.org/caffè"),
                            "http://a.org/3"};
    const qsizetype half = xml.size() / 2;
    for (const QByteArray& body : {xml, gzip(xml), gzip(xml.left(half)) + gzip(xml.mid(half))}) {
        const SitemapContent content = SitemapReader::read(body);
        EXPECT_EQ(content.pages, pages);
        EXPECT_TRUE(content.sitemaps.isEmpty());
        EXPECT_EQ(content.problem, QString());
    }
}

TEST(SitemapReaderTest, SitemapsOfAnIndex) {
    const SitemapContent content =
        SitemapReader::read(sitemapIndex({"https://a.org/s1.xml", "https://a.org/s2.xml.gz"}));
    EXPECT_EQ(content.sitemaps, QStringList({"https://a.org/s1.xml", "https://a.org/s2.xml.gz"}));
    EXPECT_TRUE(content.pages.isEmpty());
    EXPECT_EQ(content.problem, QString());
}

TEST(SitemapReaderTest, GarbageBombsAndOversizedFilesAreRefused) {
    const QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE urlset [\n"
                              " <!ENTITY lol \"lol\">\n"
                              " <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n"
                              " <!ENTITY lol2 \"&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;\">\n"
                              " <!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">\n"
                              " <!ENTITY lol4 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">\n"
                              " <!ENTITY lol5 \"&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;\">\n"
                              " <!ENTITY lol6 \"&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;\">\n"
                              " <!ENTITY lol7 \"&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;\">\n"
                              " <!ENTITY lol8 \"&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;\">\n"
                              " <!ENTITY lol9 \"&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;\">\n"
                              " <!ENTITY file SYSTEM \"file:///etc/hostname\">\n"
                              "]>\n"
                              "<urlset><url><loc>https://a.org/&lol9;&file;</loc></url></urlset>";
    const struct {
        QByteArray body;
        const char* problem;
    } cases[] = {
        {laughs, "dichiarazione di tipo di documento"},
        {"", "XML non valido"},
        {"niente XML qui", "XML non valido"},
        {"<html><body><a href=\"https://a.org/\">a</a></body></html>", "non è una sitemap"},
        {gzip(urlset({"https://a.org/1"})).chopped(12), "gzip troncato"},
        {QByteArray("\x1f\x8b\x07\x00\x00\x00\x00\x00\x00\x03garbage", 17), "gzip non valido"},
        {gzip(QByteArray(SitemapReader::kMaxBytes + 1, ' ')), "MB decompressi"},
        {QByteArray(SitemapReader::kMaxBytes + 1, ' '), "più di 50 MB"},
    };
    for (const auto& c : cases) {
        const SitemapContent content = SitemapReader::read(c.body);
        EXPECT_TRUE(content.problem.contains(QString::fromUtf8(c.problem)))
            << content.problem.toStdString() << " for " << c.body.left(60).toStdString();
        EXPECT_TRUE(content.pages.isEmpty());
    }
}

TEST(SitemapReaderTest, WhatWasReadBeforeAProblemStays) {
    const SitemapContent cut =
        SitemapReader::read("<urlset><url><loc>https://a.org/1</loc></url><url><loc>https");
    EXPECT_EQ(cut.pages, QStringList({"https://a.org/1"}));
    EXPECT_TRUE(cut.problem.contains(QStringLiteral("XML non valido")))
        << cut.problem.toStdString();

    QStringList many;
    for (int i = 0; i <= SitemapReader::kMaxAddresses; ++i)
        many << QStringLiteral("https://a.org/%1").arg(i);
    const SitemapContent capped = SitemapReader::read(urlset(many));
    EXPECT_EQ(capped.pages, many.mid(0, SitemapReader::kMaxAddresses));
    EXPECT_TRUE(capped.problem.contains(QStringLiteral("più di 50000 indirizzi")))
        << capped.problem.toStdString();
}

// A crawl over sitemaps served from `site`, counting each sitemap's fetches.
QHash<QString, int> fetchAll(SitemapCrawl& crawl, const QHash<QString, QByteArray>& site) {
    QHash<QString, int> fetches;
    for (QUrl next = crawl.next(); !next.isEmpty(); next = crawl.next()) {
        ++fetches[next.toString()];
        if (site.contains(next.toString()))
            crawl.read(next, site.value(next.toString()));
        else
            crawl.failed(next, QStringLiteral("errore HTTP 404"));
    }
    return fetches;
}

TEST(SitemapCrawlTest, IndexesAreFollowedOnceEachWithinTheirDepth) {
    const QHash<QString, QByteArray> site{
        {"https://a.org/index.xml",
         sitemapIndex({"https://a.org/news.xml.gz", "https://a.org/pages.xml",
                       "https://a.org/loop.xml", "https://a.org/missing.xml"})},
        {"https://a.org/news.xml.gz", gzip(urlset({"https://a.org/n1", "https://a.org/p1"}))},
        {"https://a.org/pages.xml", urlset({"https://a.org/p1", "https://a.org/p2"})},
        {"https://a.org/loop.xml",
         sitemapIndex({"https://a.org/index.xml", "https://a.org/loop.xml#again",
                       "https://a.org/deep.xml"})},
        {"https://a.org/deep.xml", sitemapIndex({"https://a.org/deeper.xml"})},
        {"https://a.org/deeper.xml", urlset({"https://a.org/d1"})},
    };
    SitemapCrawl three;
    three.add(QUrl("https://a.org/index.xml"));
    const QHash<QString, int> fetches = fetchAll(three, site);
    EXPECT_EQ(three.pages(),
              QStringList({"https://a.org/n1", "https://a.org/p1", "https://a.org/p2"}));
    EXPECT_EQ(fetches.size(), 6);
    for (auto it = fetches.cbegin(); it != fetches.cend(); ++it)
        EXPECT_EQ(it.value(), 1) << it.key().toStdString();
    EXPECT_FALSE(fetches.contains("https://a.org/deeper.xml"));
    EXPECT_EQ(three.problems(),
              QStringList({"https://a.org/missing.xml: errore HTTP 404",
                           "https://a.org/deep.xml: 1 sitemap oltre il livello 3 lasciate"}));

    SitemapCrawl four(4);
    four.add(QUrl("https://a.org/index.xml"));
    fetchAll(four, site);
    EXPECT_TRUE(four.pages().contains("https://a.org/d1"));
}

TEST(SitemapCrawlTest, NoMoreSitemapsOnceThePagesAreAllThere) {
    const QHash<QString, QByteArray> site{
        {"https://a.org/1.xml", urlset({"https://a.org/a", "https://a.org/b", "https://a.org/c"})},
        {"https://a.org/2.xml", urlset({"https://a.org/d"})},
    };
    SitemapCrawl crawler(3, 2);
    crawler.add(QUrl("https://a.org/1.xml"));
    crawler.add(QUrl("https://a.org/2.xml"));
    const QHash<QString, int> fetches = fetchAll(crawler, site);
    EXPECT_EQ(crawler.pages(), QStringList({"https://a.org/a", "https://a.org/b"}));
    EXPECT_FALSE(fetches.contains("https://a.org/2.xml"));
    EXPECT_EQ(crawler.problems().size(), 1);
}

TEST(SitemapCrawlTest, IndexesOfIndexesStopAtTheBoundOnSitemaps) {
    // Each index names 1,500 more, and each of those would name as many.
    SitemapCrawl crawl;
    crawl.add(QUrl("https://a.org/0.xml"));
    int fetches = 0;
    for (QUrl next = crawl.next(); !next.isEmpty() && fetches <= SitemapCrawl::kMaxSitemaps;
         next = crawl.next()) {
        ++fetches;
        QStringList children;
        for (int i = 0; i < 1500; ++i)
            children << QStringLiteral("https://a.org/%1-%2.xml").arg(next.fileName()).arg(i);
        crawl.read(next, sitemapIndex(children));
    }
    EXPECT_EQ(fetches, SitemapCrawl::kMaxSitemaps);
    EXPECT_EQ(crawl.problems(),
              QStringList({"oltre le prime 1000 di un'esecuzione: altre 1499001 nominate, "
                           "non lette"}));
    EXPECT_EQ(crawl.unread(), 0) << "every sitemap fetched was read";
}

} // namespace
