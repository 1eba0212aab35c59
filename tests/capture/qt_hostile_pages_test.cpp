// Pages that attack or break: each is a local fixture loaded in the real engine, offscreen,
// and met as the user meets it, through the browser window, its menu and Ctrl+C.

#include "browser_window/form1.h"
#include "shell/application.h"
#include "support/browser_window_fixture.h"
#include "support/qt_helpers.h"
#include "text_window/form3.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <signal.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

const char kSecret[] = "SEGRETO-7f3a-CONTENUTO";
const QString kNoText = QStringLiteral("Non trovo nessun testo copiato !!!");

class HostilePages : public BrowserWindowFixture {
protected:
    QString write(const QString& name, const QByteArray& content) {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return path;
    }
    // Types the address, presses Enter and waits for the load.
    void go(const QString& address) {
        edit->setText(address);
        QTest::keyClick(edit, Qt::Key_Return);
        view = engineView(form1);
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(waitForLoad(view));
    }
    // A file holding the secret, in a folder of its own.
    QString secretElsewhere() {
        const QString path = elsewhere.filePath(QStringLiteral("segreto.txt"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(kSecret);
        return path;
    }
    // The standard output of `velcaro --capture page`.
    // `velcaro --capture` of the page with `engine`.
    static QString captureCommand(const QString& page, const QString& engine) {
        QProcess process;
        process.start(QStringLiteral(VELCARO_EXE),
                      {QStringLiteral("--capture"), QStringLiteral("--engine"), engine, page});
        // The event loop runs meanwhile: the test's own servers answer from it.
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 120000))
            return QStringLiteral("<time-out>");
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    // The page's title, which the fixtures set when their scripts are done.
    QString title() const { return view ? view->property("title").toString() : QString(); }

public:
    static QDialog* scriptDialog() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("ScriptDialog") && w->isVisible())
                return qobject_cast<QDialog*>(w);
        return nullptr;
    }

protected:
    QTemporaryDir elsewhere;
    QWidget* view = nullptr;
};

TEST_F(HostilePages, ALocalPageReadsNoOtherFileAndOpensNoConnectionButLoadsItsOwnResources) {
    // The secret in another folder, behind a link in the page's folder, in a hidden file of
    // the page's folder, and in the page's folder for the page's reads.
    const QString outside = secretElsewhere();
    ASSERT_TRUE(QFile::link(outside, dir.filePath(QStringLiteral("collegamento.txt"))));
    write(QStringLiteral(".nascosto.txt"), kSecret);
    write(QStringLiteral("segreto.txt"), kSecret);
    write(QStringLiteral("stile.css"), "#styled { color: rgb(0, 128, 0); }");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("attacco_files")));
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir.filePath(QStringLiteral("attacco_files/figura.png"))));
    write(QStringLiteral("riquadro.html"), "<p>Testo del riquadro</p>");
    write(QStringLiteral("attacco_files/riquadro.html"), "<p>Testo della sottocartella</p>");
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    int connections = 0;
    QObject::connect(&server, &QTcpServer::newConnection, [&] { ++connections; });

    // Frames, an object and an embed of the secret, the link to it, the hidden file, and the
    // listings of the page's folder and of the secret's.
    const QByteArray secret = QUrl::fromLocalFile(outside).toEncoded();
    const QByteArray page =
        "<!DOCTYPE html><html><head><meta charset='utf-8'><link rel='stylesheet' "
        "href='stile.css'></head><body><p id='styled'>Pagina locale</p>"
        "<img id='pic' src='attacco_files/figura.png'>"
        "<iframe src='riquadro.html'></iframe><iframe src='attacco_files/riquadro.html'></iframe>"
        "<iframe src='SECRET'></iframe><object data='SECRET?o'></object><embed src='SECRET?e'>"
        "<iframe src='collegamento.txt'></iframe><iframe src='.nascosto.txt'></iframe>"
        "<iframe src='./'></iframe><iframe src='ELSEWHERE/'></iframe>"
        "<iframe id='nav' src='riquadro.html?prima'></iframe>"
        "<pre id='out'></pre><script>"
        "var results = {};"
        "function report(name, value) { results[name] = value;"
        "  document.getElementById('out').textContent += name + ': ' + value + '\\n';"
        "  if (Object.keys(results).length == 7) document.title = 'fatto'; }"
        "function frameText(w) { try { return w.document.body.innerText; }"
        "  catch (e) { return 'no access'; } }"
        "try { var x = new XMLHttpRequest(); x.open('GET', 'segreto.txt');"
        "  x.onload = function () { report('xhr', 'letto ' + x.responseText); };"
        "  x.onerror = function () { report('xhr', 'blocked'); }; x.send();"
        "} catch (e) { report('xhr', 'blocked'); }"
        "fetch('file://" +
        dir.path().toUtf8() +
        "/').then(function (r) { return r.text(); })"
        "  .then(function (t) { report('fetch', 'letto ' + t); },"
        "        function () { report('fetch', 'blocked'); });"
        "var ws = new WebSocket('ws://127.0.0.1:" +
        QByteArray::number(server.serverPort()) +
        "/');"
        "ws.onopen = function () { report('ws', 'aperto'); };"
        "ws.onerror = function () { report('ws', 'blocked'); };"
        "window.onload = function () {"
        "  report('css', getComputedStyle(document.getElementById('styled')).color);"
        "  report('img', document.getElementById('pic').naturalWidth);"
        "  var texts = [];"
        "  for (var i = 0; i < frames.length; ++i) texts.push(frameText(frames[i]));"
        "  report('frames', texts.join(' | '));"
        "  var nav = document.getElementById('nav');"
        "  nav.onload = function () { report('nav', frameText(nav.contentWindow)); };"
        "  nav.src = 'SECRET?script';"
        "};"
        "</script></body></html>";
    const QString attack =
        write(QStringLiteral("attacco.html"),
              QByteArray(page)
                  .replace("SECRET", secret)
                  .replace("ELSEWHERE", QUrl::fromLocalFile(elsewhere.path()).toEncoded()));
    go(attack);
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("fatto"), 20000);

    QTextEdit* text = captureWithKeys();
    ASSERT_NE(text, nullptr) << qPrintable(platform.messages.prompts.join('|'));
    const QString captured = text->toPlainText();
    EXPECT_TRUE(captured.contains(QStringLiteral("xhr: blocked"))) << qPrintable(captured);
    EXPECT_TRUE(captured.contains(QStringLiteral("fetch: blocked"))) << qPrintable(captured);
    EXPECT_TRUE(captured.contains(QStringLiteral("ws: blocked"))) << qPrintable(captured);
    EXPECT_EQ(connections, 0) << "the WebSocket never reached the server";
    for (const QString& engine :
         {QStringLiteral("window"), QStringLiteral("qt"), QStringLiteral("chromium")}) {
        const QString taken = engine == u"window" ? captured : captureCommand(attack, engine);
        EXPECT_FALSE(taken.contains(QLatin1String(kSecret))) << qPrintable(taken);
        EXPECT_FALSE(taken.contains(QStringLiteral("segreto.txt"))) << "no folder listing";
        // The page's own stylesheet, image and frames, given by its tags; Chromium lets no
        // local page's script read a frame, even one of its folder.
        EXPECT_TRUE(taken.contains(QStringLiteral("css: rgb(0, 128, 0)"))) << qPrintable(taken);
        EXPECT_TRUE(taken.contains(QStringLiteral("img: 7")));
        EXPECT_TRUE(taken.contains(engine == u"chromium"
                                       ? QStringLiteral("frames: no access | no access | ")
                                       : QStringLiteral("frames: Testo del riquadro | Testo della "
                                                        "sottocartella | ")))
            << engine.toStdString();
    }
}

// The page's script cannot take the main frame to a file outside its folder, not even by
// clicking its own link; the user's click on that link opens it, as typing its address would.
TEST_F(HostilePages, OnlyTheUserTakesALocalPageToAFileOutsideItsFolder) {
    const QByteArray jumpPage =
        "<!DOCTYPE html><html><body style='margin: 0'><p>Pagina che salta</p>"
        "<a id='a' href='SECRET' style='display: block; height: 300px'>Apri il file</a><script>"
        "location.href = 'SECRET?subito';"
        "window.onload = function () { document.getElementById('a').click(); };"
        "</script></body></html>";
    const QString jump = write(
        QStringLiteral("salto.html"),
        QByteArray(jumpPage).replace("SECRET", QUrl::fromLocalFile(secretElsewhere()).toEncoded()));
    // The refused navigations end the page's load where it is, as a stopped load.
    edit->setText(jump);
    QTest::keyClick(edit, Qt::Key_Return);
    view = engineView(form1);
    ASSERT_TRUE(QSignalSpy(view, SIGNAL(loadFinished(bool))).wait(20000));
    QTextEdit* text = captureWithKeys();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().startsWith(QStringLiteral("Pagina che salta")))
        << qPrintable(text->toPlainText());
    app.form3().Unload();
    for (const QString& engine : {QStringLiteral("qt"), QStringLiteral("chromium")})
        EXPECT_TRUE(captureCommand(jump, engine).startsWith(QStringLiteral("Pagina che salta")))
            << engine.toStdString();

    QSignalSpy loaded(view, SIGNAL(loadFinished(bool)));
    QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(20, 100));
    ASSERT_TRUE(loaded.wait(20000));
    text = captureWithKeys();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText(), QLatin1String(kSecret));
}

TEST_F(HostilePages, FeatureRequestsAreRefusedWithoutAsking) {
    const QByteArray page =
        "<!DOCTYPE html><html><body><p id='out'></p><script>"
        "var n = 0; function report(s) { document.getElementById('out').textContent += s + ' ';"
        "  if (++n == 2) document.title = 'fatto'; }"
        "navigator.geolocation.getCurrentPosition(function () { report('geo: granted'); },"
        "  function (e) { report('geo: ' + (e.code == e.PERMISSION_DENIED ? 'denied' : e.code)); "
        "});"
        "Notification.requestPermission().then(function (p) { report('notify: ' + p); });"
        "</script></body></html>";
    go(write(QStringLiteral("permessi.html"), page));
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("fatto"), 10000);
    QTextEdit* text = captureWithKeys();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().contains(QStringLiteral("geo: denied")))
        << qPrintable(text->toPlainText());
    EXPECT_TRUE(text->toPlainText().contains(QStringLiteral("notify: denied")))
        << qPrintable(text->toPlainText());
    EXPECT_EQ(scriptDialog(), nullptr) << "nothing asked the user";
}

TEST_F(HostilePages, AFocusedElementDoesNotNarrowTheCapture) {
    const QByteArray body =
        "<h1>Documentazione</h1><p>Paragrafo della pagina con il testo da catturare.</p>";
    write(QStringLiteral("campo.html"), "<input id='inner' value='nel riquadro'>");
    const struct {
        const char* name;
        QByteArray focused;
    } cases[] = {
        {"input", "<input id='f' value='search box text'>"},
        {"empty input", "<input id='f'>"},
        {"textarea", "<textarea id='f'>testo dell'area</textarea>"},
        // With text after it: the engine cannot select a page whose last visible text is in
        // an editable block, focused or not (the selection collapses).
        {"contenteditable", "<div id='f' contenteditable>blocco modificabile</div><p>Piede</p>"},
        {"iframe field", "<iframe id='frame' src='campo.html'></iframe>"},
    };
    const QByteArray focusScript =
        "<script>window.onload = function () { var f = document.getElementById('f');"
        " if (f) f.focus(); else { var d = document.getElementById('frame').contentDocument;"
        " d.getElementById('inner').focus(); }"
        " document.title = document.activeElement.id || 'nessuno'; };</script>";
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        go(write(QStringLiteral("focus%1.html").arg(n++), "<!DOCTYPE html><html><body>" + body +
                                                              c.focused + focusScript +
                                                              "</body></html>"));
        QTRY_VERIFY_WITH_TIMEOUT(title() == QLatin1String("f") || title() == "frame", 10000);
        QTextEdit* text = captureWithKeys();
        ASSERT_NE(text, nullptr) << qPrintable(platform.messages.prompts.join('|'));
        const QString captured = text->toPlainText();
        EXPECT_TRUE(captured.startsWith(QStringLiteral("Documentazione\n")))
            << qPrintable(captured);
        EXPECT_TRUE(captured.contains(QStringLiteral("Paragrafo della pagina")));
        EXPECT_TRUE(platform.messages.prompts.isEmpty());
        app.form3().Unload();
    }
}

// The page's copy handlers do not run: one that cancels the copy and one that puts a text of
// its own in its place (cut short, with an address added) leave the engine's copy as it is.
TEST_F(HostilePages, APageCannotRefuseOrReplaceTheCopy) {
    const char* handlers[] = {
        "document.addEventListener('copy', function (e) { e.preventDefault(); });",
        "document.addEventListener('copy', function (e) { e.clipboardData.setData('text/plain',"
        " 'Leggi tutto su esempio.it'); e.clipboardData.setData('text/html', '<b>altro</b>');"
        " e.preventDefault(); });"};
    for (const char* handler : handlers) {
        QByteArray page = "<!DOCTYPE html><html><body>";
        for (int i = 0; i < 200; ++i)
            page += "<p>Un paragrafo di testo che la pagina non lascia copiare.</p>";
        page += QByteArray("<script>") + handler + "</script></body></html>";
        go(write(QStringLiteral("nocopia.html"), page));
        QTextEdit* text = captureWithKeys();
        ASSERT_NE(text, nullptr) << handler;
        EXPECT_EQ(text->toPlainText().count(QStringLiteral("non lascia copiare.")), 200) << handler;
        EXPECT_FALSE(text->toPlainText().contains(QStringLiteral("esempio.it"))) << handler;
        app.form3().Unload();
    }
}

// Fifty dialogs in a row, then the title says the page is done with them.
const QByteArray kAlertLoop = "<!DOCTYPE html><html><body><p>Pagina con finestre</p><script>"
                              "window.onload = function () { setTimeout(function () {"
                              "  var n = 0; while (n < 50) alert('messaggio ' + (++n));"
                              "  document.title = 'fine'; }, 100); };"
                              "</script></body></html>";

// Meets the page's dialogs as the user does while each one shows: a dialog runs an event loop
// of its own, below which the test's waits do not run, so a timer hands each new dialog to
// `act` with its number.
class DialogUser {
public:
    explicit DialogUser(std::function<void(QDialog*, int)> act) : act_(std::move(act)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QDialog* dialog = HostilePages::scriptDialog();
            if (!dialog || dialog->property("seen").toBool())
                return;
            dialog->setProperty("seen", true);
            act_(dialog, ++count);
        });
        timer_.start(30);
    }
    int count = 0;

private:
    std::function<void(QDialog*, int)> act_;
    QTimer timer_;
};

void pressOk(QDialog* dialog) {
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

TEST_F(HostilePages, ADialogLoopCanBeStopped) {
    QStringList problems;
    DialogUser user([&](QDialog* dialog, int n) {
        if (dialog->parentWidget() != form1)
            problems << QStringLiteral("dialog %1 is no window of the browser window").arg(n);
        if (dialog->isModal())
            problems << QStringLiteral("dialog %1 is modal").arg(n);
        auto* stop = dialog->findChild<QCheckBox*>(QStringLiteral("StopDialogs"));
        if ((stop != nullptr) != (n >= 3))
            problems << QStringLiteral("dialog %1: the offer to stop is wrong").arg(n);
        if (stop) {
            if (stop->text() != QStringLiteral("Non permettere a questa pagina di aprire altre "
                                               "finestre di dialogo"))
                problems << stop->text();
            stop->setChecked(true);
        }
        pressOk(dialog);
    });
    go(write(QStringLiteral("ciclo.html"), kAlertLoop));
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("fine"), 20000);
    EXPECT_EQ(user.count, 3) << "the page opened no more dialogs";
    EXPECT_EQ(scriptDialog(), nullptr);
    EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join('\n'));
}

TEST_F(HostilePages, ExitWorksWhileAPageShowsDialogs) {
    DialogUser user([&](QDialog* dialog, int n) {
        if (n == 1)
            pressOk(dialog);
        else
            action("mnuFileExit")->trigger();
    });
    go(write(QStringLiteral("ciclo.html"), kAlertLoop));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !app.form1().isLoaded(); }, 20000));
    EXPECT_EQ(platform.quits, 1);
    EXPECT_TRUE(QTest::qWaitFor([] { return scriptDialog() == nullptr; }, 5000))
        << "the page's dialog went with the window";
    EXPECT_EQ(user.count, 2);
}

TEST_F(HostilePages, TheCloseBoxWorksWhileAPageShowsDialogs) {
    app.form3().Show();
    DialogUser user([&](QDialog* dialog, int n) {
        if (n == 1)
            pressOk(dialog);
        else
            form1->close();
    });
    go(write(QStringLiteral("ciclo.html"), kAlertLoop));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !app.form1().isLoaded(); }, 20000));
    EXPECT_EQ(platform.quits, 0) << "the captured-text window keeps the program running";
    EXPECT_TRUE(QTest::qWaitFor([] { return scriptDialog() == nullptr; }, 5000));
    EXPECT_EQ(user.count, 2);
    EXPECT_TRUE(app.form3().isVisible());
}

TEST_F(HostilePages, AKilledPageProcessIsReportedAndGoLoadsThePageAgain) {
    const QString page =
        write(QStringLiteral("vittima.html"),
              "<!DOCTYPE html><html><body><p>Testo della pagina vittima.</p></body></html>");
    go(page);
    QObject* enginePage = nullptr;
    for (QObject* child : view->findChildren<QObject*>())
        if (child->inherits("QWebEnginePage"))
            enginePage = child;
    ASSERT_NE(enginePage, nullptr);
    const qint64 pid = enginePage->property("renderProcessPid").toLongLong();
    ASSERT_GT(pid, 0);
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("Pagina interrotta"), 10000);

    EXPECT_EQ(captureWithKeys(), nullptr);
    EXPECT_EQ(platform.messages.prompts, QStringList{kNoText});

    go(page);
    QTextEdit* text = captureWithKeys();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText(), QStringLiteral("Testo della pagina vittima."));
}

} // namespace
