// The command-line capture's run, driven through fakes: what it loads, in what order and how
// many at once, what it writes where, and what it says for each page.

#include "batch_capture/batch_capture.h"
#include "batch_capture/page_record.h"
#include "batch_capture/robots_rules.h"
#include "batch_capture/sitemap_reader.h"
#include "platform/capture_engine.h"
#include "platform/capture_platform.h"
#include "platform/console.h"
#include "platform/velcaro_error.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace velcaro;

namespace {

// What the fake engine does with a page, chosen by the address's file name.
//   "nothing*"        the copy finds nothing, and the page shows nothing
//   "broken*"         the load fails: the site's name does not resolve
//   "endless*"        the load never ends; "endless-blank*" also copies nothing
//   "refused-N"       refused N times, then loaded
//   "busy-N"          answered with HTTP 503 N times
//   "uncopied-N"      the copy finds nothing N times, though the page shows text
//   "crash-N"         the page's process ends before the copy N times
//   "nomain*"         main text is found, and copies to nothing
// Any other page loads at once and copies "text of NAME" (and HTML "<p>html of NAME</p>").
class FakeEngine;

class FakeSession : public PageSession {
public:
    explicit FakeSession(FakeEngine& engine);
    ~FakeSession() override;

    void load(const QUrl& url, int timeoutMs, std::function<void(const LoadResult&)> done) override;
    void copy(Scope scope, bool withHtml, std::function<void(const PageCopy&)> done) override;
    void setEnded(std::function<void(PageError)> ended) override { ended_ = std::move(ended); }
    // The fake's pages link nowhere: the crawl is tested on a real site.
    void links(std::function<void(const PageLinks&)> done) override {
        QTimer::singleShot(1, &context_, [done] { done({}); });
    }

private:
    // Whether this is one of the first N loads of a page named PREFIX-N.
    bool firstOf(const char* prefix) const;
    bool named(const char* prefix) const { return name_.startsWith(QLatin1String(prefix)); }

    FakeEngine& engine_;
    QUrl url_;
    QString name_;
    int loadsBefore_ = 0;
    std::function<void(PageError)> ended_;
    QObject context_;
};

class FakeEngine : public CaptureEngine {
public:
    QString description() const override { return QStringLiteral("Motore finto 1.0"); }
    void start(std::function<void(const QString&)> ready) override {
        ++starts;
        QTimer::singleShot(1, &context_, [this, ready] { ready(startFailure); });
    }
    QString note() const override { return noteLine; }
    QString userAgent() const override { return QStringLiteral("Mozilla/5.0 Velcarobot/1.0"); }
    std::unique_ptr<PageSession> openSession() override {
        return std::make_unique<FakeSession>(*this);
    }

    int starts = 0;
    QString startFailure;
    QString noteLine;
    int open = 0;
    int mostOpen = 0;
    int sessions = 0;
    // Loads of each page name, and "#K name" for the K-th load.
    QHash<QString, int> loads;
    // The scopes of the copies asked, in order.
    std::vector<PageSession::Scope> scopes;

private:
    QObject context_;
};

FakeSession::FakeSession(FakeEngine& engine) : engine_(engine) {
    ++engine_.sessions;
    engine_.mostOpen = std::max(engine_.mostOpen, ++engine_.open);
}

FakeSession::~FakeSession() {
    --engine_.open;
}

bool FakeSession::firstOf(const char* prefix) const {
    return named(prefix) && loadsBefore_ < name_.section(u'-', 1, 1).section(u'.', 0, 0).toInt();
}

void FakeSession::load(const QUrl& url, int timeoutMs,
                       std::function<void(const LoadResult&)> done) {
    url_ = url;
    name_ = url.fileName();
    loadsBefore_ = engine_.loads[name_]++;
    engine_.loads[QStringLiteral("#") + QString::number(engine_.loads.size()) + u' ' + name_] = 0;
    LoadResult result;
    result.url = url;
    result.httpStatus = url.isLocalFile() ? 0 : 200;
    if (named("broken")) {
        result.error = PageError::NameNotResolved;
        result.detail = QStringLiteral("net::ERR_NAME_NOT_RESOLVED");
    } else if (firstOf("refused-")) {
        result.error = PageError::Refused;
        result.detail = QStringLiteral("net::ERR_CONNECTION_REFUSED");
    } else if (firstOf("busy-")) {
        result.error = PageError::HttpStatus;
        result.httpStatus = 503;
    } else if (named("endless")) {
        result.error = PageError::TimedOut;
        result.hasDocument = true;
    }
    // The answer comes from the event loop, as the engine's does.
    QTimer::singleShot(named("endless") ? timeoutMs : 1, &context_, [this, result, done] {
        done(result);
        if (result.error == PageError::None && firstOf("crash-") && ended_)
            ended_(PageError::ProcessEnded);
    });
}

void FakeSession::copy(Scope scope, bool withHtml, std::function<void(const PageCopy&)> done) {
    engine_.scopes.push_back(scope);
    PageCopy copy;
    copy.url = url_;
    copy.title = QStringLiteral("title of ") + name_;
    copy.lang = QStringLiteral("it");
    if (named("nothing") || named("endless-blank") || firstOf("uncopied-")) {
        copy.error = PageError::NoText;
        copy.showsText = named("uncopied-");
    } else if (named("nomain") && scope == Scope::MainText) {
        copy.mainText = true;
        copy.text = QStringLiteral(" \n");
    } else {
        copy.mainText = scope == Scope::MainText;
        copy.text = QStringLiteral("text of ") + name_;
        if (withHtml)
            copy.html = QStringLiteral("<p>html of ") + name_ + QStringLiteral("</p>");
    }
    QTimer::singleShot(1, &context_, [copy, done] { done(copy); });
}

class FakeConsole : public Console {
public:
    QByteArray out;
    QStringList lines;
    // Standard output is closed after this many writes.
    int writesLeft = -1;
    void output(const QByteArray& bytes) override {
        if (writesLeft-- == 0)
            throw VelcaroError(error::kInternal, QStringLiteral("Broken pipe"));
        out += bytes;
    }
    void report(const QString& line) override { lines << line; }
    void status(const QString&) override {}
};

class FakeCapturePlatform : public CapturePlatform {
public:
    CaptureEngine& engine() override { return engine_; }
    Console& console() override { return console_; }
    void fetch(const FetchRequest& request, Fetched done) override {
        fetched.push_back(request);
        QTimer::singleShot(1, &context_, [this, url = request.url, done] {
            const auto found = site.constFind(url.toString());
            const auto failed = failures.constFind(url.toString());
            if (failed != failures.constEnd())
                done({}, failed->first, failed->second);
            else if (found == site.constEnd())
                done({}, 404, QStringLiteral("errore HTTP 404"));
            else
                done(*found, 200, QString());
        });
    }
    void askRetryAfter(const QUrl& url, RetryAfterAnswered done) override {
        QTimer::singleShot(1, &context_,
                           [this, url, done] { done(retryAfter.value(url.fileName())); });
    }
    bool readPdf(const QByteArray&, QString*, QString*) override { return false; }
    void finish(int code) override { exitCode = code; }

    FakeEngine engine_;
    FakeConsole console_;
    // What fetch() answers, by address: a body, or an HTTP status (0 for none) and a failure.
    QHash<QString, QByteArray> site;
    QHash<QString, std::pair<int, QString>> failures;
    std::vector<FetchRequest> fetched;
    // The Retry-After askRetryAfter() answers, by page name.
    QHash<QString, QByteArray> retryAfter;
    QObject context_;
    int exitCode = -1;
};

class BatchCaptureRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        options.workingFolder = dir.path();
        options.settleMs = 1;
        options.timeoutSeconds = 1;
        options.retries = 0;
    }
    // A local page that exists, so that the addresses pass the checks made before loading.
    QString page(const QString& name) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<p>x</p>");
        return f.fileName();
    }
    int run() {
        BatchCapture capture(platform, options);
        capture.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (platform.exitCode >= 0)
                loop.quit();
        });
        poll.start(5);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
        return platform.exitCode;
    }
    QByteArray file(const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    const QStringList& lines() { return platform.console_.lines; }
    FakeEngine& engine() { return platform.engine_; }

    QTemporaryDir dir;
    CaptureOptions options;
    FakeCapturePlatform platform;
};

TEST_F(BatchCaptureRun, OnePageGoesToStandardOutputAsTheWindowsTextSaveWritesIt) {
    options.addresses = {page(QStringLiteral("uno.html"))};
    engine().noteLine = QStringLiteral("velcaro: nota del motore");
    EXPECT_EQ(run(), BatchCapture::kAllCaptured);
    EXPECT_EQ(platform.console_.out, QByteArray("text of uno.html"));
    EXPECT_EQ(engine().scopes, std::vector<PageSession::Scope>{PageSession::Scope::WholePage});
    ASSERT_EQ(lines().size(), 2);
    EXPECT_EQ(lines().at(0), QStringLiteral("velcaro: nota del motore"));
    EXPECT_TRUE(lines().at(1).contains(QRegularExpression("^\\[1/1\\] ok \\d+\\.\\d s 16 byte ")))
        << lines().at(1).toStdString();
    EXPECT_EQ(engine().open, 0) << "every session is released";
}

TEST_F(BatchCaptureRun, ManyPagesLoadAtMostJobsAtOnceEachInASessionOfItsOwn) {
    for (int i = 0; i < 9; ++i)
        options.addresses << page(QStringLiteral("p%1.html").arg(i));
    options.output = QStringLiteral("out");
    options.jobs = 3;
    EXPECT_EQ(run(), BatchCapture::kAllCaptured);
    EXPECT_EQ(engine().mostOpen, 3);
    EXPECT_EQ(engine().sessions, 9);
    EXPECT_EQ(engine().open, 0);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(file(QStringLiteral("out/p%1.txt").arg(i)),
                  QStringLiteral("text of p%1.html").arg(i).toUtf8());
    EXPECT_EQ(lines().filter(QRegularExpression("^\\[\\d/9\\] ok ")).size(), 9);
    EXPECT_TRUE(lines().constLast().startsWith(QStringLiteral("velcaro: prese 9 pagine su 9")));
}

TEST_F(BatchCaptureRun, FailedPagesAreNamedAndTheOthersAreStillWritten) {
    options.addresses = {page(QStringLiteral("buona.html")),
                         page(QStringLiteral("broken.html")),
                         page(QStringLiteral("nothing.html")),
                         page(QStringLiteral("endless.html")),
                         page(QStringLiteral("endless-blank.html")),
                         QStringLiteral("manca.html"),
                         dir.path(),
                         page(QStringLiteral("altra.html"))};
    options.output = QStringLiteral("out");
    options.jobs = 2;
    EXPECT_EQ(run(), BatchCapture::kSomeFailed);
    EXPECT_EQ(file(QStringLiteral("out/buona.txt")), QByteArray("text of buona.html"));
    EXPECT_EQ(file(QStringLiteral("out/altra.txt")), QByteArray("text of altra.html"));
    const QString all = lines().join(u'\n');
    EXPECT_TRUE(all.contains(QStringLiteral("FAILED: nome del sito sconosciuto "
                                            "(net::ERR_NAME_NOT_RESOLVED) ") +
                             dir.filePath("broken.html")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("FAILED: Non trovo nessun testo copiato !!! ") +
                             dir.filePath("nothing.html")));
    // A page still loading when its time is up is taken as it is, unless it shows nothing.
    EXPECT_TRUE(all.contains(QStringLiteral("FAILED: la pagina non ha finito di caricarsi entro "
                                            "1 s ") +
                             dir.filePath("endless-blank.html")));
    EXPECT_TRUE(all.contains(dir.filePath("endless.html") +
                             QStringLiteral(" (la pagina non ha finito di caricarsi entro 1 s)")));
    EXPECT_EQ(file(QStringLiteral("out/endless.txt")), QByteArray("text of endless.html"));
    EXPECT_TRUE(all.contains(QStringLiteral("FAILED: file inesistente manca.html")));
    EXPECT_TRUE(all.contains(QStringLiteral("FAILED: è una cartella, non una pagina")));
    EXPECT_TRUE(all.contains(QStringLiteral("Non riuscite (5):")));
    EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files).size(), 3);
    // Pages that fail before loading are never loaded.
    EXPECT_EQ(engine().sessions, 6);
    EXPECT_EQ(engine().open, 0);
}

// The engine, or a page's process, that ends takes the page with it: it is tried again (a
// try), as a page whose main text copies to nothing is taken whole.
TEST_F(BatchCaptureRun, APageWhoseProcessEndedIsTriedAgainAndAnEmptyMainTextIsNone) {
    options.addresses = {page(QStringLiteral("crash-1.html")), page(QStringLiteral("crash-9.html")),
                         page(QStringLiteral("nomain.html"))};
    options.output = QStringLiteral("out");
    options.mainText = true;
    options.retries = 1;
    EXPECT_EQ(run(), BatchCapture::kSomeFailed);
    EXPECT_EQ(file(QStringLiteral("out/crash-1.txt")), QByteArray("text of crash-1.html"));
    EXPECT_EQ(file(QStringLiteral("out/nomain.txt")), QByteArray("text of nomain.html"));
    const QString all = lines().join(u'\n');
    EXPECT_TRUE(all.contains(QStringLiteral("FAILED: il processo della pagina si è interrotto "
                                            "(2 tentativi)")))
        << all.toStdString();
    EXPECT_TRUE(
        all.contains(QStringLiteral("nomain.html (nessun testo principale: pagina intera)")))
        << all.toStdString();

    // An engine that cannot start ends the run with its reason, before any page.
    platform.exitCode = -1;
    engine().startFailure = QStringLiteral("il motore non parte");
    engine().sessions = 0;
    EXPECT_EQ(run(), BatchCapture::kSomeFailed);
    EXPECT_EQ(lines().constLast(), QStringLiteral("velcaro: il motore non parte"));
    EXPECT_EQ(engine().sessions, 0);
}

TEST_F(BatchCaptureRun, ExistingFilesAreKeptUnlessForced) {
    options.addresses = {page(QStringLiteral("a.html")), page(QStringLiteral("b.html"))};
    options.output = QStringLiteral("out");
    ASSERT_TRUE(QDir(dir.path()).mkpath("out"));
    QFile old(dir.filePath("out/a.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("vecchio");
    old.close();
    EXPECT_EQ(run(), BatchCapture::kSomeFailed);
    EXPECT_EQ(file(QStringLiteral("out/a.txt")), QByteArray("vecchio"));
    EXPECT_EQ(file(QStringLiteral("out/b.txt")), QByteArray("text of b.html"));
    EXPECT_TRUE(lines().join(u'\n').contains(QStringLiteral("esiste già")));

    platform.exitCode = -1;
    options.force = true;
    EXPECT_EQ(run(), BatchCapture::kAllCaptured);
    EXPECT_EQ(file(QStringLiteral("out/a.txt")), QByteArray("text of a.html"));
}

TEST_F(BatchCaptureRun, RtfAndMarkdownAreMadeOfTheCopysHtml) {
    options.addresses = {page(QStringLiteral("r.html"))};
    options.output = QStringLiteral("r.rtf");
    options.format = CaptureOptions::Format::Rtf;
    EXPECT_EQ(run(), BatchCapture::kAllCaptured);
    EXPECT_TRUE(file(QStringLiteral("r.rtf")).startsWith("{\\rtf1"));
    EXPECT_TRUE(file(QStringLiteral("r.rtf")).contains("html of r.html"));

    platform.exitCode = -1;
    options.output = QStringLiteral("r.md");
    options.format = CaptureOptions::Format::Markdown;
    EXPECT_EQ(run(), BatchCapture::kAllCaptured);
    EXPECT_EQ(file(QStringLiteral("r.md")), QByteArray("html of r.html\n"));
}

TEST_F(BatchCaptureRun, BadUsageAndUnwritableOutputEndTheRunBeforeAnyLoad) {
    options.addresses = {page(QStringLiteral("a.html")), page(QStringLiteral("b.html"))};
    EXPECT_EQ(run(), BatchCapture::kBadUsage) << "several pages need --output";
    EXPECT_TRUE(lines().constLast().contains(QStringLiteral("--output")));

    platform.exitCode = -1;
    options.output = page(QStringLiteral("un file")) + QStringLiteral("/out");
    EXPECT_EQ(run(), BatchCapture::kSomeFailed);
    EXPECT_TRUE(lines().constLast().startsWith(QStringLiteral("velcaro: impossibile scrivere")));
    EXPECT_EQ(engine().starts, 0) << "the engine is not even started";
}

TEST_F(BatchCaptureRun, TheSamePageTwiceIsTakenOnce) {
    const QString a = page(QStringLiteral("a.html"));
    options.addresses = {a, QStringLiteral("a.html"), QUrl::fromLocalFile(a).toString(),
                         page(QStringLiteral("b.html"))};
    options.output = QStringLiteral("out");
    EXPECT_EQ(run(), BatchCapture::kAllCaptured);
    EXPECT_EQ(engine().sessions, 2);
    EXPECT_EQ(lines().first(),
              QStringLiteral("velcaro: 2 indirizzi ripetuti, presi una volta sola."));
    EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files).size(), 2);
}

TEST_F(BatchCaptureRun, TransientFailuresAreTriedAgainUpToTheRetries) {
    options.addresses = {
        page(QStringLiteral("refused-1.html")),  page(QStringLiteral("refused-5.html")),
        page(QStringLiteral("broken.html")),     page(QStringLiteral("busy-1.html")),
        page(QStringLiteral("uncopied-1.html")), page(QStringLiteral("nothing.html"))};
    options.output = QStringLiteral("out");
    options.retries = 1;
    platform.retryAfter.insert(QStringLiteral("busy-1.html"), "2");
    EXPECT_EQ(run(), BatchCapture::kSomeFailed);
    EXPECT_EQ(engine().loads.value("refused-1.html"), 2);
    EXPECT_EQ(engine().loads.value("refused-5.html"), 2);
    EXPECT_EQ(engine().loads.value("broken.html"), 1) << "not a transient failure";
    EXPECT_EQ(file("out/refused-1.txt"), "text of refused-1.html");
    const QString all = lines().join(u'\n');
    EXPECT_TRUE(all.contains(QRegularExpression("ok .*refused-1.html \\(2 tentativi\\)")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(
        QRegularExpression("FAILED: .*ERR_CONNECTION_REFUSED\\) \\(2 tentativi\\) .*refused-5")))
        << all.toStdString();
    EXPECT_EQ(all.count(QStringLiteral("di nuovo tra")), 4)
        << "not nothing.html, which has no text";
    EXPECT_EQ(file("out/uncopied-1.txt"), "text of uncopied-1.html");
    // The busy server's Retry-After, longer than the back-off, is waited.
    EXPECT_TRUE(all.contains(QRegularExpression("di nuovo tra 2\\.0 s .*busy-1.html")))
        << all.toStdString();
    EXPECT_EQ(file("out/busy-1.txt"), "text of busy-1.html");
}

TEST_F(BatchCaptureRun, PagesOfABusyHostWaitAndOtherHostsGoFirst) {
    options.addresses = {"https://a.org/a1", "https://a.org/a2", "https://A.org:8080/a3",
                         "https://b.org/b1"};
    options.output = QStringLiteral("out");
    options.jobs = 4;
    options.perHost = 1;
    EXPECT_EQ(run(), BatchCapture::kAllCaptured);
    QStringList order = engine().loads.keys().filter(QRegularExpression("^#"));
    std::sort(order.begin(), order.end(), [](const QString& x, const QString& y) {
        return x.section(u' ', 0, 0).mid(1).toInt() < y.section(u' ', 0, 0).mid(1).toInt();
    });
    for (QString& load : order)
        load = load.section(u' ', 1);
    EXPECT_EQ(order, QStringList({"a1", "b1", "a2", "a3"}));
}

TEST_F(BatchCaptureRun, SitemapsStandForTheirPages) {
    // An address with a line end in it stays one address on one line of the report.
    platform.site.insert("https://a.org/indice.xml",
                         "<sitemapindex><sitemap><loc>https://a.org/s.xml</loc></sitemap>"
                         "<sitemap><loc>https://a.org/manca.xml</loc></sitemap>"
                         "<sitemap><loc>https://a.org/x&#10;velcaro: falso</loc></sitemap>"
                         "</sitemapindex>");
    platform.site.insert("https://a.org/s.xml",
                         "<urlset><url><loc>https://a.org/p1</loc></url>"
                         "<url><loc>https://a.org/p2&#10;[9/9] ok 0.1 s 1.0 KB falso</loc></url>"
                         "</urlset>");
    options.addresses = {"https://a.org/indice.xml"};
    options.sitemap = true;
    options.output = QStringLiteral("out");
    EXPECT_EQ(run(), BatchCapture::kSomeFailed) << "a sitemap could not be read";
    EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(lines().join(u'\n').contains("sitemap https://a.org/manca.xml: errore HTTP 404"));
    for (const QString& line : platform.console_.lines.join(u'\n').split(u'\n'))
        EXPECT_FALSE(line.startsWith(QStringLiteral("[9/9]")) ||
                     line.startsWith(QStringLiteral("velcaro: falso")))
            << line.toStdString();
    EXPECT_TRUE(lines().join(u'\n').contains(QStringLiteral("p2%0A[9/9]")));
    // Fetched with the engine's agent, within a page's time, a byte past the reader's bound.
    ASSERT_EQ(platform.fetched.size(), 4u);
    for (const FetchRequest& request : platform.fetched) {
        EXPECT_EQ(request.userAgent, QStringLiteral("Mozilla/5.0 Velcarobot/1.0"));
        EXPECT_EQ(request.timeoutMs, 1000);
        EXPECT_EQ(request.maxBytes, SitemapReader::kMaxBytes + 1);
    }

    // Not a bad command line: something failed.
    platform.exitCode = -1;
    options.addresses = {"https://a.org/manca.xml"};
    EXPECT_EQ(run(), BatchCapture::kSomeFailed);
    EXPECT_EQ(lines().constLast(), QStringLiteral("velcaro: 0 pagine dalle sitemap."));
}

// A robots.txt that cannot be had: unavailable (a 4xx, a redirect not followed) allows all,
// unreachable (a 5xx, a 429, no answer) allows nothing, and the pages say why.
TEST_F(BatchCaptureRun, RobotsTxtForbidsPagesOfItsSiteOnly) {
    platform.site.insert("https://a.org/robots.txt", "User-agent: Velcarobot\nDisallow: /no\n\n"
                                                     "User-agent: *\nDisallow: /\n");
    platform.failures.insert("https://c.org/robots.txt",
                             {302, QStringLiteral("rinvio a un indirizzo file:, non seguito")});
    platform.failures.insert("https://d.org/robots.txt", {500, QStringLiteral("errore HTTP 500")});
    platform.failures.insert("https://e.org/robots.txt",
                             {0, QStringLiteral("connessione rifiutata")});
    platform.failures.insert("https://f.org/robots.txt", {429, QStringLiteral("errore HTTP 429")});
    options.addresses = {"https://a.org/si", "https://a.org/no", "https://b.org/no",
                         "https://c.org/no", "https://d.org/no", "https://e.org/no",
                         "https://f.org/no"};
    options.output = QStringLiteral("out");
    options.robots = true;
    EXPECT_EQ(run(), BatchCapture::kSomeFailed);
    EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files),
              QStringList({"a.org_si.txt", "b.org_no.txt", "c.org_no.txt"}))
        << "b.org has no robots.txt, c.org's is not followed";
    const QString all = lines().join(u'\n');
    EXPECT_TRUE(all.contains(
        QStringLiteral("FAILED: pagina vietata dal robots.txt del sito https://a.org/no")));
    EXPECT_TRUE(all.contains(QStringLiteral("FAILED: robots.txt del sito non raggiungibile "
                                            "(errore HTTP 500) https://d.org/no")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("FAILED: robots.txt del sito non raggiungibile "
                                            "(connessione rifiutata) https://e.org/no")));
    EXPECT_TRUE(all.contains(QStringLiteral("FAILED: robots.txt del sito non raggiungibile "
                                            "(errore HTTP 429) https://f.org/no")));
    EXPECT_EQ(engine().loads.value("no"), 2);
    ASSERT_FALSE(platform.fetched.empty());
    EXPECT_EQ(platform.fetched[0].userAgent, QStringLiteral("Mozilla/5.0 Velcarobot/1.0"));
    EXPECT_EQ(platform.fetched[0].maxBytes, RobotsRules::kMaxBodyBytes + 1);
}

QList<QJsonObject> recordsOf(const QByteArray& lines) {
    QList<QJsonObject> records;
    for (const QByteArray& line : lines.split('\n'))
        if (!line.isEmpty())
            records << QJsonDocument::fromJson(line).object();
    return records;
}

TEST_F(BatchCaptureRun, JsonLinesGiveOneRecordPerAddressWithTheTextOrTheReason) {
    options.addresses = {page(QStringLiteral("a.html")), QStringLiteral("manca.html"),
                         page(QStringLiteral("broken.html")), QStringLiteral("a.html"),
                         page(QStringLiteral("b.html"))};
    options.format = CaptureOptions::Format::Jsonl;
    options.jobs = 2;
    EXPECT_EQ(run(), BatchCapture::kSomeFailed);
    QList<QJsonObject> records = recordsOf(platform.console_.out);
    ASSERT_EQ(records.size(), 4) << platform.console_.out.toStdString();
    std::sort(records.begin(), records.end(), [](const QJsonObject& x, const QJsonObject& y) {
        return x.value("index").toInt() < y.value("index").toInt();
    });
    const QJsonObject& a = records[0];
    EXPECT_EQ(a.value("address").toString(), options.addresses[0]);
    EXPECT_EQ(a.value("url").toString(), QUrl::fromLocalFile(options.addresses[0]).toString());
    EXPECT_EQ(a.value("text").toString(), "text of a.html");
    EXPECT_EQ(a.value("title").toString(), "title of a.html");
    EXPECT_EQ(a.value("lang").toString(), "it");
    EXPECT_TRUE(a.value("status").isNull());
    EXPECT_FALSE(a.contains("error"));
    EXPECT_TRUE(a.value("ms").isDouble());
    EXPECT_EQ(records[1].value("error").toString(), "file inesistente");
    EXPECT_EQ(records[2].value("error").toString(),
              "nome del sito sconosciuto (net::ERR_NAME_NOT_RESOLVED)");
    EXPECT_EQ(records[2].value("text").toString(), QString());
    EXPECT_EQ(records[3].value("index").toInt(), 4) << "the position in the list given";

    // To a file, appended to by the next run; standard output stays empty. A run given a
    // block of a longer list counts the positions from the block's first.
    options.output = QStringLiteral("record.jsonl");
    options.firstIndex = 1000;
    for (int i = 0; i < 2; ++i) {
        platform.exitCode = -1;
        platform.console_.out.clear();
        run();
        EXPECT_TRUE(platform.console_.out.isEmpty());
    }
    records = recordsOf(file("record.jsonl"));
    EXPECT_EQ(records.size(), 8);
    EXPECT_TRUE(std::all_of(records.begin(), records.end(), [](const QJsonObject& r) {
        return r.value("index").toInt() >= 1000 && r.value("index").toInt() <= 1004;
    }));

    // A closed standard output ends the run with the reason, at once.
    options.output.clear();
    platform.exitCode = -1;
    platform.console_.writesLeft = 1;
    EXPECT_EQ(run(), BatchCapture::kSomeFailed);
    EXPECT_TRUE(lines().constLast().contains(QStringLiteral("Broken pipe")))
        << lines().constLast().toStdString();
}

// A title a page made of a lone surrogate would stop a JSON reader at its record.
TEST(PageRecordLine, IsValidUnicodeWhateverThePageSays) {
    PageRecord record;
    record.address = QStringLiteral("https://a.org/");
    record.title = QString(QChar(0xd800)) + QStringLiteral("x") + QChar(0xdc00);
    record.text = QStringLiteral("caffè 🙂");
    const QByteArray line = recordLine(record);
    EXPECT_FALSE(line.toLower().contains("\\ud")) << line.toStdString();
    EXPECT_TRUE(line.contains("\"\xef\xbf\xbdx\xef\xbf\xbd\"")) << line.toStdString();
    EXPECT_TRUE(line.contains("caffè 🙂"));
    EXPECT_TRUE(line.endsWith("}\n"));
}

} // namespace
