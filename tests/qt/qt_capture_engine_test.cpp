// The Qt WebEngine capture engine driven directly, on local pages: its copies against the
// window's capture, main text, failures by kind, pages too deep, too busy or out of memory,
// sessions deleted while they work, and copies asked for side by side.

#include "qt/qt_capture_engine.h"
#include "support/local_http_server.h"
#include "support/window_text.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

const char kHead[] = "<!DOCTYPE html><html lang='it'><head><meta charset='utf-8'>"
                     "<title>Prova</title></head><body>";

const std::pair<const char*, const char*> kPages[] = {
    {"lingue.html",
     "<h1>Città, caffè e perché</h1><p>日本語のテキスト, emoji 🙂👩‍💻</p>"
     "<p dir='rtl'>שלום עולם</p>"},
    {"struttura.html",
     "<table border='1'><tr><th>Valuta</th><th>Cambio</th></tr><tr><td>Yen ¥</td>"
     "<td>161,5</td></tr></table><ul><li>primo</li><li>secondo<ol><li>uno</li></ol></li></ul>"
     "<p>Logo: <img alt='Il logo' src='data:image/gif;base64,R0lGODlhAQABAAAAACw='> fine.</p>"
     "<p hidden>nascosto</p><p>prima <span style='visibility:hidden'>invisibile</span> dopo</p>"},
    {"script.html", "<p>Statico.</p><div id='d'></div><script>addEventListener('load', () => "
                    "setTimeout(() => d.textContent = 'Scritto dallo script', 100));</script>"},
    // Busy for ever once loaded: no copy comes.
    {"occupata.html", "<p>testo</p><script>setTimeout(() => { while (true) {} }, 10);</script>"},
    // Busy for ever before its load ends, with a document shown.
    {"mai.html", "<p>mai</p><script>while (true) {}</script>"},
    {"vuota.html", ""},
    // Out of memory once loaded.
    {"memoria.html", "<p>memoria</p><script>setTimeout(() => { const a = []; "
                     "while (true) a.push(new Array(1e6).fill(1)); }, 10);</script>"},
    // Takes the main frame to a file outside its folder.
    {"fuga.html", "<p>fuga</p><script>location.href = 'file:///etc/hostname';</script>"},
};

constexpr int kLoadMs = 30000;

// Runs the event loop until `done` holds or `timeoutMs` is over; whether it holds. Not
// QTest::qWaitFor, which sleeps between its rounds and so delays every step of the engine.
bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

void pause(int ms) {
    runUntil([] { return false; }, ms);
}

class QtCaptureEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(dir.isValid());
        for (const auto& [name, body] : kPages) {
            QFile f(dir.filePath(QString::fromUtf8(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(kHead) + body + "</body></html>");
        }
        // A small script heap, so that the page out of memory dies in a moment, not after
        // gigabytes; set before the engine starts, which reads it once.
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--js-flags=--max-old-space-size=64");
        engine = new QtCaptureEngine;
        std::optional<QString> failure;
        engine->start([&](const QString& f) { failure = f; });
        ASSERT_FALSE(failure) << "ready runs from the event loop";
        ASSERT_TRUE(runUntil([&] { return failure.has_value(); }, 30000));
        ASSERT_EQ(failure->toStdString(), "");
    }
    static void TearDownTestSuite() { delete engine; }

    static QUrl page(const char* name) { return QUrl::fromLocalFile(dir.filePath(name)); }

    static LoadResult load(PageSession& session, const QUrl& url, int timeoutMs = kLoadMs) {
        std::optional<LoadResult> result;
        session.load(url, timeoutMs, [&](const LoadResult& r) { result = r; });
        EXPECT_TRUE(runUntil([&] { return result.has_value(); }, timeoutMs + 10000));
        return result.value_or(LoadResult{});
    }
    static PageCopy copy(PageSession& session,
                         PageSession::Scope scope = PageSession::Scope::WholePage,
                         bool withHtml = false) {
        std::optional<PageCopy> copied;
        session.copy(scope, withHtml, [&](const PageCopy& c) { copied = c; });
        if (!runUntil([&] { return copied.has_value(); }, 60000)) {
            ADD_FAILURE() << "no copy";
            copied.emplace().error = PageError::Other;
        }
        return *copied;
    }
    // `url` loaded in a session of its own, after the capture's wait for the page's scripts.
    static std::unique_ptr<PageSession> loaded(const QUrl& url) {
        auto session = engine->openSession();
        EXPECT_EQ(load(*session, url).error, PageError::None) << url.toString().toStdString();
        pause(CaptureOptions::kDefaultSettleMs);
        return session;
    }

    static inline QTemporaryDir dir;
    static inline QtCaptureEngine* engine = nullptr;
};

TEST_F(QtCaptureEngineTest, CopiesWhatTheWindowsCaptureGives) {
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Qt WebEngine 6\\S+ \\(Chromium \\S+, correzioni di "
                                          "sicurezza fino a \\S+\\)$"))
            .match(engine->description())
            .hasMatch())
        << engine->description().toStdString();
    EXPECT_TRUE(engine->userAgent().contains(QStringLiteral("QtWebEngine/")));
    for (const char* name : {"lingue.html", "struttura.html", "script.html"}) {
        const PageCopy copied = copy(*loaded(page(name)));
        ASSERT_EQ(copied.error, PageError::None) << name;
        EXPECT_EQ(copied.text.toStdString(),
                  windowText(dir.filePath(name), dir.filePath("finestra.txt")).toStdString())
            << name;
        EXPECT_EQ(copied.url, page(name));
        EXPECT_EQ(copied.title, QStringLiteral("Prova"));
        EXPECT_EQ(copied.lang, QStringLiteral("it"));
        EXPECT_TRUE(copied.html.isEmpty()) << "not asked for";
    }
    const PageCopy withHtml =
        copy(*loaded(page("struttura.html")), PageSession::Scope::WholePage, true);
    EXPECT_TRUE(withHtml.html.contains(QStringLiteral("<td"))) << withHtml.html.toStdString();
}

TEST_F(QtCaptureEngineTest, TakesTheMainTextOrTheWholePageWhenNoneStandsOut) {
    const QDir pages(QStringLiteral(VELCARO_MAIN_TEXT_PAGES));
    const auto article =
        loaded(QUrl::fromLocalFile(pages.filePath(QStringLiteral("article-among-menus.html"))));
    const PageCopy main = copy(*article, PageSession::Scope::MainText);
    EXPECT_TRUE(main.mainText);
    EXPECT_TRUE(main.text.contains(QStringLiteral("pumps work"))) << main.text.toStdString();
    EXPECT_FALSE(main.text.contains(QStringLiteral("Local news")));
    EXPECT_FALSE(main.text.contains(QStringLiteral("cookies")));

    const auto list = loaded(QUrl::fromLocalFile(pages.filePath(QStringLiteral("list-page.html"))));
    const PageCopy whole = copy(*list, PageSession::Scope::MainText);
    EXPECT_FALSE(whole.mainText);
    EXPECT_EQ(whole.text.toStdString(), copy(*list).text.toStdString());
}

TEST_F(QtCaptureEngineTest, LoadFailuresByKind) {
    LocalHttpServer server;
    server.answer("/scarica", "200 OK", "Content-Disposition: attachment; filename=x.bin\r\n",
                  "dati");
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QUrl refused(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort()));
    closed.close();
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const QUrl never(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));
    const struct {
        QUrl url;
        PageError error;
        int timeoutMs;
        bool hasDocument;
    } cases[] = {
        {refused, PageError::Refused, kLoadMs, false},
        {QUrl(server.url("/manca")), PageError::HttpStatus, kLoadMs, false},
        {QUrl(QStringLiteral("http://nome-inesistente.invalid/")), PageError::NameNotResolved,
         kLoadMs, false},
        {QUrl(server.url("/scarica")), PageError::NotAPage, kLoadMs, false},
        // Its script's navigation out of its folder is refused: the page stays as it is.
        {page("fuga.html"), PageError::None, kLoadMs, true},
        {QUrl(QStringLiteral("chrome://crash")), PageError::ProcessEnded, kLoadMs, false},
        {never, PageError::TimedOut, 1500, false},
        {page("mai.html"), PageError::TimedOut, 1500, true},
    };
    for (const auto& c : cases) {
        const auto session = engine->openSession();
        const LoadResult result = load(*session, c.url, c.timeoutMs);
        EXPECT_EQ(result.error, c.error) << c.url.toString().toStdString();
        if (c.error == PageError::TimedOut) {
            EXPECT_EQ(result.hasDocument, c.hasDocument) << c.url.toString().toStdString();
        }
    }
    const auto kept = engine->openSession();
    load(*kept, page("fuga.html"));
    EXPECT_EQ(copy(*kept).text, QStringLiteral("fuga"));
    const auto missing = engine->openSession();
    const LoadResult notFound = load(*missing, QUrl(server.url("/manca")));
    EXPECT_EQ(notFound.httpStatus, 404);
    EXPECT_EQ(notFound.url, QUrl(server.url("/manca")));
    const auto unreachable = engine->openSession();
    EXPECT_EQ(load(*unreachable, refused).detail, QStringLiteral("net::ERR_CONNECTION_REFUSED"));
}

// A page of 10,000 nested blocks: its copy takes the engine seconds that its text's size does
// not foretell.
TEST_F(QtCaptureEngineTest, ADeepPageIsCopied) {
    const QByteArray text = QByteArray("Testo in fondo. ").repeated(400);
    QFile f(dir.filePath("profonda.html"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(kHead) + QByteArray("<div>").repeated(10000) + "<p>" + text + "</p>" +
            QByteArray("</div>").repeated(10000) + "</body></html>");
    f.close();
    const PageCopy copied = copy(*loaded(page("profonda.html")));
    EXPECT_EQ(copied.error, PageError::None);
    EXPECT_EQ(copied.text.trimmed(), QString::fromUtf8(text).trimmed());
}

TEST_F(QtCaptureEngineTest, ABusyPageTimesOutAndAnEmptyOneHasNoText) {
    const auto busy = loaded(page("occupata.html"));
    const auto empty = loaded(page("vuota.html"));
    const PageCopy late = copy(*busy);
    EXPECT_EQ(late.error, PageError::CopyTimedOut);
    EXPECT_TRUE(late.text.isEmpty());
    const PageCopy none = copy(*empty);
    EXPECT_EQ(none.error, PageError::NoText);
    EXPECT_FALSE(none.showsText);
}

TEST_F(QtCaptureEngineTest, APageOutOfMemoryEndsSo) {
    const auto session = engine->openSession();
    std::optional<PageError> ended;
    session->setEnded([&](PageError error) { ended = error; });
    EXPECT_EQ(load(*session, page("memoria.html")).error, PageError::None);
    ASSERT_TRUE(runUntil([&] { return ended.has_value(); }, 60000));
    EXPECT_EQ(*ended, PageError::OutOfMemory);
    EXPECT_EQ(copy(*session).error, PageError::OutOfMemory);
}

// Deleted while it loads, or while its copy waits for a busy page: nothing it was asked runs
// afterwards, and the next copy has the clipboard.
TEST_F(QtCaptureEngineTest, ASessionDeletedMidLoadOrMidCopyAnswersNothing) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    int answers = 0;
    auto loading = engine->openSession();
    loading->load(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort())), 500,
                  [&](const LoadResult&) { ++answers; });
    pause(100);
    loading.reset();

    auto copying = loaded(page("occupata.html"));
    copying->copy(PageSession::Scope::WholePage, false, [&](const PageCopy&) { ++answers; });
    pause(500);
    copying.reset();

    const PageCopy next = copy(*loaded(page("lingue.html")));
    EXPECT_EQ(next.error, PageError::None);
    EXPECT_TRUE(next.text.startsWith(QStringLiteral("Città")));
    pause(1000);
    EXPECT_EQ(answers, 0);
}

TEST_F(QtCaptureEngineTest, SessionsCopyingAtOnceEachGetTheirOwnText) {
    const char* const names[] = {"lingue.html", "struttura.html", "script.html"};
    std::vector<std::unique_ptr<PageSession>> sessions;
    for (const char* name : names)
        sessions.push_back(loaded(page(name)));
    std::vector<std::optional<PageCopy>> copies(sessions.size());
    for (size_t i = 0; i < sessions.size(); ++i)
        sessions[i]->copy(PageSession::Scope::WholePage, false,
                          [&copies, i](const PageCopy& c) { copies[i] = c; });
    ASSERT_TRUE(runUntil(
        [&] { return std::all_of(copies.begin(), copies.end(), [](auto& c) { return c; }); },
        60000));
    for (size_t i = 0; i < sessions.size(); ++i)
        EXPECT_EQ(copies[i]->text.toStdString(), copy(*sessions[i]).text.toStdString()) << names[i];
}

} // namespace
