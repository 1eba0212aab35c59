// The building blocks of a capture at scale: the journal a run resumes from, the retry policy, the
// pacing of each host and the robots.txt rules.

#include "batch_capture/capture_journal.h"
#include "batch_capture/host_pacer.h"
#include "batch_capture/retry_policy.h"
#include "batch_capture/robots_rules.h"
#include "support/qt_printers.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

using namespace velcaro;

namespace {

// --- Journal ---

class Journal : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    static JournalEntry entry(const QString& address, bool ok) {
        JournalEntry e;
        e.address = address;
        e.outcome = ok ? JournalEntry::Outcome::Ok : JournalEntry::Outcome::Failed;
        e.output = ok ? QStringLiteral("out/pagina.txt") : QString();
        e.reason = ok ? QString() : QStringLiteral("il server ha risposto con l'errore HTTP 503");
        e.ms = 1234;
        e.time = QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);
        return e;
    }
    void record(CaptureJournal& journal, const QString& address, bool ok) {
        QString problem;
        EXPECT_TRUE(journal.record(entry(address, ok), &problem)) << problem.toStdString();
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
    const QString path = dir.filePath(QStringLiteral("registro.jsonl"));
};

TEST_F(Journal, AReopenedJournalSkipsTheDoneAndRetriesTheFailed) {
    const QString quoted = QStringLiteral("https://例え.jp/\"citazione\"\\caffè?q=«sì»");
    {
        CaptureJournal journal;
        QString problem;
        ASSERT_TRUE(journal.open(path, &problem)) << problem.toStdString();
        record(journal, "https://a.org/ok", true);
        record(journal, "https://a.org/failed", false);
        record(journal, "https://a.org/twice", false);
        record(journal, "https://a.org/twice", false);
        record(journal, "https://a.org/then-ok", false);
        record(journal, "https://a.org/then-ok", true);
        record(journal, quoted, true);
    }
    const QList<QByteArray> lines = content().split('\n');
    ASSERT_EQ(lines.size(), 8) << "one line per record and a final newline";
    const QJsonObject ok = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(ok.value("outcome").toString(), "ok");
    EXPECT_EQ(ok.value("output").toString(), "out/pagina.txt");
    EXPECT_EQ(ok.value("ms").toInteger(), 1234);
    EXPECT_EQ(ok.value("time").toString(), "2024-03-01T12:00:00.000Z");
    EXPECT_FALSE(ok.contains("reason"));
    EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object().value("reason").toString(),
              entry({}, false).reason);

    CaptureJournal journal;
    QString problem;
    ASSERT_TRUE(journal.open(path, &problem));
    EXPECT_TRUE(journal.done("https://a.org/ok"));
    EXPECT_TRUE(journal.done("https://a.org/then-ok"));
    EXPECT_TRUE(journal.done(quoted));
    EXPECT_FALSE(journal.done("https://a.org/failed"));
    EXPECT_FALSE(journal.done("https://a.org/never"));
    EXPECT_FALSE(journal.done("https://A.org/ok")) << "addresses are keys as given";
    EXPECT_EQ(journal.previousFailures("https://a.org/failed"), 1);
    EXPECT_EQ(journal.previousFailures("https://a.org/twice"), 2);
    EXPECT_EQ(journal.previousFailures("https://a.org/then-ok"), 0);
    EXPECT_EQ(journal.doneCount(), 3);
    EXPECT_EQ(journal.failedCount(), 2);
    record(journal, "https://a.org/failed", true);
    EXPECT_EQ(journal.doneCount(), 4);
    EXPECT_EQ(journal.failedCount(), 1);
}

TEST_F(Journal, ALineCutShortIsIgnoredAndTheNextRecordStartsOnItsOwnLine) {
    const QByteArray whole = CaptureJournal::line(entry("https://a.org/1", true)) + '\n';
    const QByteArray cut = CaptureJournal::line(entry("https://a.org/2", true));
    for (const qsizetype length : {qsizetype(1), qsizetype(8), qsizetype(30), cut.size() - 1}) {
        SCOPED_TRACE(length);
        setContent(whole + cut.left(length));
        CaptureJournal journal;
        QString problem;
        ASSERT_TRUE(journal.open(path, &problem)) << problem.toStdString();
        EXPECT_TRUE(journal.done("https://a.org/1"));
        EXPECT_FALSE(journal.done("https://a.org/2"));
        record(journal, "https://a.org/3", true);
        EXPECT_TRUE(
            content().endsWith('\n' + CaptureJournal::line(entry("https://a.org/3", true)) + '\n'));

        CaptureJournal reopened;
        ASSERT_TRUE(reopened.open(path, &problem)) << problem.toStdString();
        EXPECT_EQ(reopened.doneCount(), 2);
        EXPECT_TRUE(reopened.done("https://a.org/3"));
    }
}

TEST_F(Journal, AFileThatIsNotAJournalIsRefusedAndLeftAsItIs) {
    const QByteArray addresses = "https://a.org/1\nhttps://a.org/2\n";
    setContent(addresses);
    CaptureJournal journal;
    QString problem;
    EXPECT_FALSE(journal.open(path, &problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("non è un registro di cattura")))
        << problem.toStdString();
    EXPECT_EQ(content(), addresses);

    EXPECT_FALSE(journal.open(dir.filePath("manca/registro.jsonl"), &problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("la cartella non esiste")))
        << problem.toStdString();
}

// --- Retries ---

PageFailure failure(PageFailure::Kind kind, int httpStatus = 0, bool pageHasText = false) {
    PageFailure f;
    f.kind = kind;
    f.httpStatus = httpStatus;
    f.pageHasText = pageHasText;
    return f;
}

TEST(RetryPolicyTest, OnlyTransientFailuresAreTriedAgainAndOnlyRetriesTimes) {
    using Kind = PageFailure::Kind;
    const struct {
        PageFailure failure;
        bool transient;
    } cases[] = {
        {failure(Kind::Timeout), true},
        {failure(Kind::ConnectionReset), true},
        {failure(Kind::ConnectionRefused), true},
        {failure(Kind::HttpStatus, 429), true},
        {failure(Kind::HttpStatus, 502), true},
        {failure(Kind::HttpStatus, 503), true},
        {failure(Kind::HttpStatus, 504), true},
        {failure(Kind::NoText, 0, true), true},
        {failure(Kind::NoText, 0, false), false},
        {failure(Kind::HttpStatus, 404), false},
        {failure(Kind::HttpStatus, 500), false},
        {failure(Kind::HttpStatus, 403), false},
        {failure(Kind::NameNotResolved), false},
        {failure(Kind::MissingFile), false},
        {failure(Kind::NotAPage), false},
        {failure(Kind::OutputProblem), false},
        {failure(Kind::Other), false},
    };
    const RetryPolicy policy(2);
    const RetryPolicy never(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.failure.kind) * 1000 + c.failure.httpStatus);
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
        PageFailure f = failure(PageFailure::Kind::HttpStatus, 503);
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
    EXPECT_EQ(rules.sitemaps(), QStringList({"https://a.org/s.xml", "https://a.org/t.xml.gz"}));
    EXPECT_FALSE(rules.allowed(QUrl("https://a.org/x"))) << "a Sitemap line ends no group";

    const QByteArray padding(RobotsRules::kMaxBodyBytes, '#');
    EXPECT_TRUE(RobotsRules::parse(padding + "\nUser-agent: *\nDisallow: /\n", "Chrome")
                    .allowed(QUrl("https://a.org/x")));

    EXPECT_FALSE(RobotsRules::disallowingAll().allowed(QUrl("https://a.org/")));
    EXPECT_TRUE(RobotsRules::disallowingAll().allowed(QUrl("https://a.org/robots.txt")));
}

} // namespace
