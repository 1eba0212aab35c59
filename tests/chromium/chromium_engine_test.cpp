// The Chromium engine driven directly, on local fixture pages and a local web server: what it
// copies, how loads fail, what one address leaves to the next, and hostile pages.

#include "chromium/chromium_engine.h"
#include "support/local_http_server.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace velcaro;
using velcaro::testing::LocalHttpServer;

namespace {

constexpr int kWaitMs = 60000;
const char kSecret[] = "SEGRETO-7f3a-CONTENUTO";

std::string str(const QString& text) {
    return text.toStdString();
}

class ChromiumEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A name of the local server at a plain http address is no secure context, as the
        // web's http sites are not (127.0.0.1 is one).
        qputenv("VELCARO_CHROMIUM_FLAGS", "\"--host-resolver-rules=MAP sito.test 127.0.0.1\"");
        engine = new ChromiumEngine(QSize(792, 520));
        QString failure = QStringLiteral("<no answer>");
        engine->start([&](const QString& why) { failure = why; });
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return failure != QLatin1String("<no answer>"); }, kWaitMs));
        ASSERT_EQ(failure, QString());
    }
    static void TearDownTestSuite() {
        delete engine;
        engine = nullptr;
    }

    QUrl write(const QString& name, const QByteArray& content) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return QUrl::fromLocalFile(path);
    }

    static LoadResult load(PageSession& session, const QUrl& url, int timeoutMs = kWaitMs) {
        std::optional<LoadResult> result;
        session.load(url, timeoutMs, [&](const LoadResult& r) { result = r; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, kWaitMs + timeoutMs));
        LoadResult none;
        none.error = PageError::Other;
        return result.value_or(none);
    }
    static PageCopy copy(PageSession& session,
                         PageSession::Scope scope = PageSession::Scope::WholePage,
                         bool withHtml = false) {
        std::optional<PageCopy> result;
        session.copy(scope, withHtml, [&](const PageCopy& c) { result = c; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, kWaitMs));
        PageCopy none;
        none.error = PageError::Other;
        return result.value_or(none);
    }
    // An address loaded and copied in a session of its own.
    static PageCopy capture(const QUrl& url,
                            PageSession::Scope scope = PageSession::Scope::WholePage,
                            bool withHtml = false) {
        const auto session = engine->openSession();
        const LoadResult loaded = load(*session, url);
        EXPECT_EQ(loaded.error, PageError::None)
            << str(url.toString()) << " " << str(loaded.detail);
        return copy(*session, scope, withHtml);
    }

    static ChromiumEngine* engine;
    QTemporaryDir dir;
};

ChromiumEngine* ChromiumEngineTest::engine = nullptr;

TEST_F(ChromiumEngineTest, CopiesWhatThePageShowsWhateverItsScriptsDoToTheCopy) {
    EXPECT_TRUE(engine->description().startsWith(QLatin1String("Chromium 1")));
    EXPECT_EQ(engine->description(), ChromiumEngine::installedVersion());
    EXPECT_TRUE(engine->userAgent().contains(QLatin1String("Chrome/")));
    // Its copy handler, its key handlers and its selection handlers would replace the copy, or
    // cancel it.
    const QUrl page = write(
        QStringLiteral("pagina.html"),
        "<!DOCTYPE html><html lang='it'><head><meta charset='utf-8'><title>Città</title></head>"
        "<body onselectstart='return false'><p>Perché così: 日本語の文章 😀 שלום עולם</p>"
        "<table><tr><td>uno</td><td>due</td></tr></table>"
        "<p style='display:none'>nascosto</p><input value='campo' autofocus>"
        "<p id='w'></p><script>"
        "document.getElementById('w').textContent = 'larga ' + innerWidth;"
        "document.addEventListener('copy', function (e) {"
        "  e.clipboardData.setData('text/plain', 'RUBATO'); e.preventDefault(); }, true);"
        "document.addEventListener('keydown', function (e) { e.preventDefault(); }, true);"
        "document.addEventListener('selectstart', function (e) { e.preventDefault(); }, true);"
        "</script></body></html>");
    const PageCopy copied = capture(page, PageSession::Scope::WholePage, true);
    ASSERT_EQ(copied.error, PageError::None);
    EXPECT_TRUE(copied.text.contains(QStringLiteral("Perché così: 日本語の文章 😀 שלום עולם")))
        << str(copied.text);
    EXPECT_TRUE(copied.text.contains(QStringLiteral("uno\tdue")));
    EXPECT_TRUE(copied.text.contains(QStringLiteral("larga 792")));
    EXPECT_FALSE(copied.text.contains(QStringLiteral("nascosto")));
    EXPECT_FALSE(copied.text.contains(QStringLiteral("RUBATO")));
    EXPECT_TRUE(copied.html.contains(QStringLiteral("<td")));
    EXPECT_EQ(copied.title, QStringLiteral("Città"));
    EXPECT_EQ(copied.lang, QStringLiteral("it"));
    EXPECT_EQ(copied.url, page);

    // Without HTML asked, none; a page with nothing to show copies nothing.
    EXPECT_TRUE(capture(page).html.isEmpty());
    const PageCopy blank = capture(write(QStringLiteral("bianca.html"), "<body></body>"));
    EXPECT_EQ(blank.error, PageError::NoText);
    EXPECT_FALSE(blank.showsText);
    // Nor does one whose body stays hidden until a script that never comes shows it.
    const PageCopy hidden = capture(write(
        QStringLiteral("nascosta.html"), "<style>body { visibility: hidden }</style><p>testo</p>"));
    EXPECT_EQ(hidden.error, PageError::NoText);
    EXPECT_FALSE(hidden.showsText);
}

TEST_F(ChromiumEngineTest, TheMainTextLeavesMenusSidebarsAndFooters) {
    const QDir pages(QStringLiteral(VELCARO_MAIN_TEXT_PAGES));
    const PageCopy main = capture(QUrl::fromLocalFile(pages.filePath("article-among-menus.html")),
                                  PageSession::Scope::MainText);
    ASSERT_EQ(main.error, PageError::None);
    EXPECT_TRUE(main.mainText);
    EXPECT_TRUE(main.text.contains(QStringLiteral("pumps work"))) << str(main.text);
    EXPECT_FALSE(main.text.contains(QStringLiteral("Local news")));
    EXPECT_FALSE(main.text.contains(QStringLiteral("cookies")));
    // A page with no main text standing out is taken whole.
    const PageCopy whole = capture(write(QStringLiteral("breve.html"), "<p>Solo una riga</p>"),
                                   PageSession::Scope::MainText);
    EXPECT_FALSE(whole.mainText);
    EXPECT_EQ(whole.text, QStringLiteral("Solo una riga"));
}

TEST_F(ChromiumEngineTest, LoadFailuresByKind) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    LocalHttpServer server;
    server.serve(QStringLiteral("/ok"), "<p>ok</p>");
    server.answer(QStringLiteral("/via"), "302 Found", "Location: /ok\r\n");
    server.answer(QStringLiteral("/file"), "200 OK",
                  "Content-Disposition: attachment; filename=a.bin\r\n", "abc");
    // Accepts and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));

    const auto loaded = [](const QUrl& url, int timeoutMs = kWaitMs) {
        return load(*engine->openSession(), url, timeoutMs);
    };
    EXPECT_EQ(loaded(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port))).error,
              PageError::Refused);
    const LoadResult missing = loaded(QUrl(server.url(QStringLiteral("/manca"))));
    EXPECT_EQ(missing.error, PageError::HttpStatus);
    EXPECT_EQ(missing.httpStatus, 404);
    // Without a body the browser fails the navigation; the status still tells it.
    server.answer(QStringLiteral("/occupato"), "503 Service Unavailable", "Retry-After: 1\r\n");
    const LoadResult busy = loaded(QUrl(server.url(QStringLiteral("/occupato"))));
    EXPECT_EQ(busy.error, PageError::HttpStatus);
    EXPECT_EQ(busy.httpStatus, 503);
    const LoadResult unknown = loaded(QUrl(QStringLiteral("http://nome-inesistente.invalid/")));
    EXPECT_EQ(unknown.error, PageError::NameNotResolved);
    EXPECT_EQ(unknown.detail, QStringLiteral("net::ERR_NAME_NOT_RESOLVED"));
    EXPECT_EQ(loaded(QUrl(server.url(QStringLiteral("/file")))).error, PageError::NotAPage);
    const LoadResult moved = loaded(QUrl(server.url(QStringLiteral("/via"))));
    EXPECT_EQ(moved.error, PageError::None);
    EXPECT_EQ(moved.httpStatus, 200);
    EXPECT_EQ(moved.url, QUrl(server.url(QStringLiteral("/ok"))));
    const LoadResult slow =
        loaded(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort())), 1500);
    EXPECT_EQ(slow.error, PageError::TimedOut);
    EXPECT_FALSE(slow.hasDocument);
}

TEST_F(ChromiumEngineTest, APlainHttpSiteIsCopiedThoughItHasNoClipboardOfItsOwn) {
    LocalHttpServer server;
    server.serve(QStringLiteral("/"), "<!DOCTYPE html><p id='p'></p><script>"
                                      "document.getElementById('p').textContent ="
                                      "  'sicura ' + isSecureContext;</script>");
    QUrl site(server.url(QStringLiteral("/")));
    site.setHost(QStringLiteral("sito.test"));
    const PageCopy copied = capture(site, PageSession::Scope::WholePage, true);
    EXPECT_EQ(copied.error, PageError::None);
    EXPECT_EQ(copied.text, QStringLiteral("sicura false"));
    EXPECT_TRUE(copied.html.contains(QStringLiteral("sicura false")));
}

TEST_F(ChromiumEngineTest, NothingOfAnAddressReachesTheNext) {
    // Each page shows what it found, then leaves what it can for the next.
    const QByteArray probe =
        "<!DOCTYPE html><p id='found'></p><script>"
        "document.getElementById('found').textContent = 'trovato:' + window.name + '|' +"
        "  (sessionStorage.getItem('k') || '') + '|' + (localStorage.getItem('k') || '') + '|' +"
        "  document.cookie + '|storia ' + history.length;"
        "window.name = 'nome'; sessionStorage.setItem('k', 's'); localStorage.setItem('k', 'l');"
        "document.cookie = 'k=c; max-age=3600';"
        "</script>";
    LocalHttpServer server;
    server.serve(QStringLiteral("/a"), probe);
    server.serve(QStringLiteral("/b"), probe);
    const QUrl local = write(QStringLiteral("locale.html"),
                             "<p>locale</p><script>window.name = 'dal file';</script>");
    const QString fresh = QStringLiteral("trovato:||||storia 1");
    EXPECT_EQ(capture(local).error, PageError::None);
    EXPECT_EQ(capture(QUrl(server.url(QStringLiteral("/a")))).text, fresh);
    EXPECT_EQ(capture(QUrl(server.url(QStringLiteral("/b")))).text, fresh);
    EXPECT_EQ(capture(QUrl(server.url(QStringLiteral("/a")))).text, fresh);
}

TEST_F(ChromiumEngineTest, DialogsAndPopUpsHoldNothingUp) {
    const PageCopy dialogs =
        capture(write(QStringLiteral("finestre.html"),
                      "<p id='p'></p><script>var n = 0;"
                      "for (var i = 0; i < 100; ++i) { alert(i); if (confirm('?')) ++n; }"
                      "document.getElementById('p').textContent = 'confermati ' + n;</script>"));
    EXPECT_EQ(dialogs.text, QStringLiteral("confermati 0"));
    const PageCopy popUps = capture(write(
        QStringLiteral("popup.html"),
        "<p id='p'></p><script>var opened = 0;"
        "for (var i = 0; i < 1000; ++i) if (window.open('popup.html?' + i, '_blank')) ++opened;"
        "document.getElementById('p').textContent = 'aperte ' + opened;</script>"));
    ASSERT_EQ(popUps.error, PageError::None);
    EXPECT_TRUE(popUps.text.startsWith(QStringLiteral("aperte"))) << str(popUps.text);
}

TEST_F(ChromiumEngineTest, ALocalPageStaysInItsFolderAndOffline) {
    QTemporaryDir elsewhere;
    const QString secretPath = elsewhere.filePath(QStringLiteral("segreto.txt"));
    QFile secret(secretPath);
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write(kSecret);
    secret.close();
    write(QStringLiteral(".nascosto.txt"), kSecret);
    write(QStringLiteral("cartella/riquadro.html"), "<p>Testo del riquadro</p>");
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    int connections = 0;
    QObject::connect(&listener, &QTcpServer::newConnection, [&] { ++connections; });
    const QByteArray secretUrl = QUrl::fromLocalFile(secretPath).toEncoded();
    const QByteArray port = QByteArray::number(listener.serverPort());

    // Frames of the secret, of a hidden file and of a folder; a read, a WebSocket, an image.
    const QUrl page =
        write(QStringLiteral("attacco.html"),
              "<!DOCTYPE html><p>Pagina locale</p><iframe src='cartella/riquadro.html'></iframe>"
              "<iframe src='" +
                  secretUrl +
                  "'></iframe><iframe src='.nascosto.txt'></iframe>"
                  "<iframe src='./'></iframe><img src='http://127.0.0.1:" +
                  port +
                  "/img.png'>"
                  "<p id='out'></p><script>"
                  "fetch('" +
                  secretUrl +
                  "').then(r => r.text()).then(t => out.textContent += t)"
                  "  .catch(() => out.textContent += 'lettura rifiutata');"
                  "try { new WebSocket('ws://127.0.0.1:" +
                  port +
                  "/'); } catch (e) {}"
                  "</script>");
    const PageCopy copied = capture(page);
    ASSERT_EQ(copied.error, PageError::None);
    EXPECT_TRUE(copied.text.contains(QStringLiteral("Pagina locale")));
    EXPECT_TRUE(copied.text.contains(QStringLiteral("lettura rifiutata"))) << str(copied.text);
    EXPECT_FALSE(copied.text.contains(QLatin1String(kSecret)));
    QTest::qWait(300);
    EXPECT_EQ(connections, 0);

    // An .html file written as XHTML, with what XML refuses, is read as the HTML it is named.
    const QUrl xhtml =
        write(QStringLiteral("xhtml.html"),
              "<html xmlns='http://www.w3.org/1999/xhtml'><p>pane & vino</p></html>");
    EXPECT_EQ(capture(xhtml).text, QStringLiteral("pane & vino"));

    // Its script takes the main frame to the secret, before the load ends and after: the page
    // stays as it is.
    const QUrl early = write(QStringLiteral("fuga.html"),
                             "<p>fuga</p><script>location = '" + secretUrl + "';</script>");
    const auto session = engine->openSession();
    EXPECT_EQ(load(*session, early).error, PageError::None);
    EXPECT_EQ(copy(*session).text, QStringLiteral("fuga"));
    const QUrl late = write(QStringLiteral("dopo.html"),
                            "<p>dopo</p><script>setTimeout(function () { location = '" + secretUrl +
                                "'; }, 200);</script>");
    const auto later = engine->openSession();
    EXPECT_EQ(load(*later, late).error, PageError::None);
    QTest::qWait(600);
    EXPECT_EQ(copy(*later).text, QStringLiteral("dopo"));
}

TEST_F(ChromiumEngineTest, APageOrABrowserThatEndsIsToldAndTheNextPageWorks) {
    const QUrl hungry = write(QStringLiteral("memoria.html"),
                              "<p>memoria</p><script>setTimeout(function () {"
                              "var a = []; while (true) a.push(new Array(1e6).fill(1)); }, 50);"
                              "</script>");
    const auto session = engine->openSession();
    ASSERT_EQ(load(*session, hungry).error, PageError::None);
    std::optional<PageError> ended;
    session->setEnded([&](PageError error) { ended = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.has_value(); }, kWaitMs));
    EXPECT_EQ(*ended, PageError::OutOfMemory);

    // The browser itself killed while a page loads.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const auto loading = engine->openSession();
    std::optional<LoadResult> result;
    loading->load(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort())), kWaitMs,
                  [&](const LoadResult& r) { result = r; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return silent.hasPendingConnections(); }, kWaitMs));
    const qint64 pid = engine->browserProcessId();
    ASSERT_GT(pid, 0);
    ::kill(pid_t(pid), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, kWaitMs));
    EXPECT_EQ(result->error, PageError::ProcessEnded);
    EXPECT_EQ(capture(write(QStringLiteral("dopo.html"), "<p>di nuovo</p>")).text,
              QStringLiteral("di nuovo"));
    EXPECT_NE(engine->browserProcessId(), pid);
}

} // namespace
