// `velcaro --capture` as a user runs it, on local fixture pages: its text against the window's
// own capture and TXT save of the same pages, its RTF read back by our reader and by
// LibreOffice, several pages at once against one at a time, a list on standard input, the
// exit codes, and the user's clipboard under a real X server.

#include "app/qt_platform.h"
#include "batch_capture/capture_options.h"
#include "browser_window/form1.h"
#include "platform/rich_text_box.h"
#include "platform/text_box.h"
#include "rtf/rtf_reader.h"
#include "shell/application.h"
#include "support/local_http_server.h"
#include "support/qt_helpers.h"
#include "support/window_text.h"
#include "text_window/form3.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QMultiHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextDocument>
#include <csignal>
#include <gtest/gtest.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

const char kHead[] = "<!DOCTYPE html><html><head><meta charset='utf-8'></head><body>";

// Name and markup of each fixture page.
const std::pair<const char*, const char*> kPages[] = {
    {"lingue.html", "<h1>Città, caffè e perché</h1><p>日本語のテキスト、中文，한국어 — emoji "
                    "🙂🚀👩‍💻</p>"
                    "<p dir='rtl'>שלום עולם</p><p dir='rtl' lang='ar'>مرحبا بالعالم</p>"},
    {"struttura.html",
     "<table border='1'><tr><th>Valuta</th><th>Cambio</th></tr><tr><td>Euro €</td>"
     "<td>1,00</td></tr><tr><td>Yen ¥</td><td>161,5</td></tr></table>"
     "<ul><li>primo</li><li>secondo<ol><li>uno</li><li>due</li></ol></li></ul>"
     "<p>Logo: <img alt='Il logo della ditta' src='data:image/gif;base64,"
     "R0lGODlhAQABAAAAACw=' width='8' height='8'> fine.</p>"
     "<p style='display:none'>nascosto</p><p hidden>anche nascosto</p>"
     "<p>prima <span style='visibility:hidden'>invisibile</span> dopo</p>"},
    {"script.html",
     "<p>Statico.</p><div id='d'></div><script>window.addEventListener('load', function () {"
     "setTimeout(function () { document.getElementById('d').textContent = "
     "'Scritto dallo script dopo il caricamento'; }, 100); });</script>"},
};

// What `--main` keeps and leaves of a page; with nothing to leave, the whole page is taken.
struct MainTextCase {
    QString page;
    QString kept;
    QStringList left;
};

// The processes below `pid`: those a run of the program started, and theirs.
QList<qint64> descendants(qint64 pid) {
    QMultiHash<qint64, qint64> children;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (entry.toLongLong() == 0 || !stat.open(QIODevice::ReadOnly))
            continue;
        // "PID (NAME) STATE PPID ...": the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> after = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (after.size() > 1)
            children.insert(after[1].toLongLong(), entry.toLongLong());
    }
    QList<qint64> found;
    for (QList<qint64> parents{pid}; !parents.isEmpty();)
        for (const qint64 child : children.values(parents.takeFirst())) {
            found << child;
            parents << child;
        }
    return found;
}

struct CommandRun {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// Every test runs with each engine (`--engine chromium`, `--engine qt`), each in a working
// folder of its own below the shared fixture pages.
class QtBatchCapture : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(dir.isValid());
        for (const auto& [name, body] : kPages) {
            QFile f(dir.filePath(QString::fromUtf8(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(kHead) + body + "</body></html>");
        }
    }
    static QStringList pages() {
        QStringList list;
        for (const auto& page : kPages)
            list << dir.filePath(QString::fromUtf8(page.first));
        return list;
    }
    static QString stem(const QString& page) { return QFileInfo(page).completeBaseName(); }
    void SetUp() override { ASSERT_TRUE(QDir(dir.path()).mkpath(GetParam())); }
    // The working folder of this engine's runs.
    QDir here() const { return QDir(dir.filePath(QString::fromLatin1(GetParam()))); }

    // Runs the program with `arguments`, `input` on its standard input, with this test's
    // engine.
    CommandRun capture(const QStringList& arguments, const QByteArray& input = {},
                       const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(here().path());
        process.start(QStringLiteral(VELCARO_EXE),
                      QStringList{"--capture", "--engine", QString::fromLatin1(GetParam())} +
                          arguments);
        process.write(input);
        process.closeWriteChannel();
        CommandRun run;
        // The event loop runs meanwhile: the test's own web server answers from it.
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 120000))
            return run;
        run.exitCode = process.exitCode();
        run.out = process.readAllStandardOutput();
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    static QByteArray contentOf(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    static QByteArray windowText(const QString& page) {
        return velcaro::testing::windowText(page, dir.filePath(QStringLiteral("finestra.txt")));
    }

    // Captures the pages of `cases` whole and with `--main` into `out`: every line of the main
    // text is a line of the whole page's, the main text holds what it should and none of what
    // it should leave, and the page's line says when no main text stood out.
    void expectMainText(const QList<MainTextCase>& cases, const QString& out) {
        QStringList pages;
        for (const MainTextCase& c : cases)
            pages << c.page;
        const CommandRun whole = capture(QStringList{"-o", out + "-intera"} + pages);
        const CommandRun main = capture(QStringList{"--main", "-o", out} + pages);
        ASSERT_EQ(whole.exitCode, 0) << whole.err.toStdString();
        ASSERT_EQ(main.exitCode, 0) << main.err.toStdString();
        const QStringList report = main.err.split(u'\n');
        for (const MainTextCase& c : cases) {
            const QString name = stem(c.page) + ".txt";
            const QString text = QString::fromUtf8(contentOf(QDir(out).filePath(name)));
            const QStringList wholeLines =
                QString::fromUtf8(contentOf(QDir(out + "-intera").filePath(name))).split(u'\n');
            for (const QString& line : text.split(u'\n'))
                EXPECT_TRUE(wholeLines.contains(line))
                    << name.toStdString() << ": " << line.toStdString();
            EXPECT_TRUE(text.contains(c.kept)) << name.toStdString();
            for (const QString& left : c.left)
                EXPECT_FALSE(text.contains(left))
                    << name.toStdString() << ": " << left.toStdString();
            const auto line = std::find_if(report.begin(), report.end(), [&](const QString& l) {
                return l.contains(QFileInfo(c.page).fileName());
            });
            ASSERT_NE(line, report.end()) << name.toStdString();
            EXPECT_EQ(line->contains(QStringLiteral("nessun testo principale")), c.left.isEmpty())
                << line->toStdString();
        }
    }

    static inline QTemporaryDir dir;
};

TEST_P(QtBatchCapture, TheTextIsWhatTheWindowsCaptureAndTextSaveGive) {
    const CommandRun sequential = capture(QStringList{"-j", "1", "-o", "uno"} + pages());
    ASSERT_EQ(sequential.exitCode, 0) << sequential.err.toStdString();
    for (const QString& page : pages()) {
        const QByteArray command = contentOf(here().filePath("uno/" + stem(page) + ".txt"));
        EXPECT_EQ(command.toStdString(), windowText(page).toStdString())
            << stem(page).toStdString();
    }
    const QString all = QString::fromUtf8(contentOf(here().filePath("uno/lingue.txt")) +
                                          contentOf(here().filePath("uno/struttura.txt")) +
                                          contentOf(here().filePath("uno/script.txt")));
    for (const char* piece :
         {"日本語のテキスト", "👩‍💻", "שלום עולם", "مرحبا", "Yen ¥\t161,5",
          "Il logo della ditta", "Scritto dallo script", "prima  dopo"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(piece))) << piece;
    EXPECT_FALSE(all.contains(QStringLiteral("nascosto")));

    // The same pages, three at once, listed on standard input: the same files.
    const CommandRun parallel =
        capture({"-j", "3", "-o", "tre", "-"}, pages().join(u'\n').toUtf8() + "\n\n# fine\n");
    ASSERT_EQ(parallel.exitCode, 0) << parallel.err.toStdString();
    EXPECT_EQ(QDir(here().filePath("tre")).entryList(QDir::Files),
              QDir(here().filePath("uno")).entryList(QDir::Files));
    for (const QString& name : QDir(here().filePath("uno")).entryList(QDir::Files))
        EXPECT_EQ(contentOf(here().filePath("tre/" + name)),
                  contentOf(here().filePath("uno/" + name)))
            << name.toStdString();
    EXPECT_EQ(parallel.err.count(QRegularExpression("\\[\\d/3\\] ok \\d+\\.\\d s \\d+ byte ")), 3)
        << parallel.err.toStdString();
}

TEST_P(QtBatchCapture, RtfReadsBackAsTheTextInOurReaderAndInLibreOffice) {
    const CommandRun txt = capture(QStringList{"-o", "txt"} + pages());
    const CommandRun rtf = capture(QStringList{"--format", "rtf", "-o", "rtf"} + pages());
    ASSERT_EQ(txt.exitCode, 0) << txt.err.toStdString();
    ASSERT_EQ(rtf.exitCode, 0) << rtf.err.toStdString();
    QStringList rtfFiles;
    for (const QString& page : pages()) {
        const QString text =
            QString::fromUtf8(contentOf(here().filePath("txt/" + stem(page) + ".txt")));
        rtfFiles << here().filePath("rtf/" + stem(page) + ".rtf");
        const QByteArray document = contentOf(rtfFiles.constLast());
        ASSERT_TRUE(document.startsWith("{\\rtf1")) << stem(page).toStdString();
        QTextDocument doc;
        rtf::readRtf(document, doc);
        EXPECT_EQ(doc.toPlainText().toStdString(), text.toStdString()) << stem(page).toStdString();
    }
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is not installed: scripts/bootstrap";
    QProcess office;
    office.start(soffice,
                 QStringList{"--headless", "-env:UserInstallation=file://" + here().filePath("lo"),
                             "--convert-to", "txt:Text (encoded):UTF8", "--outdir",
                             here().filePath("lo-txt")} +
                     rtfFiles);
    ASSERT_TRUE(office.waitForFinished(120000));
    for (const QString& page : pages()) {
        QString read =
            QString::fromUtf8(contentOf(here().filePath("lo-txt/" + stem(page) + ".txt")));
        // LibreOffice's text export: a byte-order mark, CR LF, a final line end, a six-per-em
        // space before each space of a run, and the list items' markers, which the engine's
        // plain copy leaves out.
        read.remove(QChar(0xFEFF)).remove(QChar(0x2006)).replace(QStringLiteral("\r\n"), "\n");
        read.remove(QRegularExpression(QStringLiteral("^ *(•|\\d+\\.) "),
                                       QRegularExpression::MultilineOption));
        const QString text =
            QString::fromUtf8(contentOf(here().filePath("txt/" + stem(page) + ".txt")));
        EXPECT_EQ(read.trimmed().toStdString(), text.trimmed().toStdString())
            << stem(page).toStdString();
    }
}

TEST_P(QtBatchCapture, ExitCodesAndStandardOutput) {
    const CommandRun one = capture({pages().constFirst()});
    EXPECT_EQ(one.exitCode, 0) << one.err.toStdString();
    EXPECT_EQ(one.out.toStdString(), windowText(pages().constFirst()).toStdString());
    EXPECT_TRUE(QString::fromUtf8(one.out).startsWith(QStringLiteral("Città, caffè e perché\n")));

    const CommandRun someFailed = capture({"-o", "misto", pages().constFirst(), "manca.html"});
    EXPECT_EQ(someFailed.exitCode, 1);
    EXPECT_TRUE(someFailed.err.contains(QStringLiteral("FAILED: file inesistente manca.html")));
    EXPECT_EQ(contentOf(here().filePath("misto/lingue.txt")), one.out)
        << "the good page is written";

    for (const QStringList& bad :
         {QStringList{}, QStringList{"--jobs", "0", "a.html"},
          QStringList{"--format", "doc", "a.html"}, QStringList{"a.html", "b.html"}})
        EXPECT_EQ(capture(bad).exitCode, 2) << bad.join(u' ').toStdString();
}

TEST_P(QtBatchCapture, HostilePagesFailWithTheirReasonAndTheRunGoesOn) {
    const std::pair<const char*, const char*> hostile[] = {
        {"ciclo.html", "<p>mai</p><script>while (true) {}</script>"},
        {"ciclo-dopo.html", "<p>testo</p><script>setTimeout(function () { while (true) {} }, 10);"
                            "</script>"},
        {"vuota.html", ""},
        {"avvisi.html", "<p>avvisi</p><script>for (var i = 0; i < 200; ++i) alert(i);</script>"},
        {"finestre.html", "<p>finestre</p><script>for (var i = 0; i < 1000; ++i) "
                          "window.open('about:blank', '_blank');</script>"}};
    for (const auto& [name, body] : hostile) {
        QFile f(here().filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(kHead) + body + "</body></html>");
    }
    // A server that takes the connection and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const QString never = QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort());
    // And a port where nobody listens any more.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
    closed.close();

    const CommandRun run = capture({"--timeout", "3", "--retries", "0", "-j", "4", "-o", "ostili",
                                    "ciclo.html", "ciclo-dopo.html", "vuota.html", never, refused,
                                    "avvisi.html", "finestre.html", pages().constFirst()});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    const QString late = QStringLiteral("FAILED: la pagina non ha finito di caricarsi entro 3 s ");
    EXPECT_TRUE(run.err.contains(late + "ciclo.html")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(late + never));
    const QString noText = QStringLiteral("FAILED: Non trovo nessun testo copiato !!! ");
    EXPECT_TRUE(run.err.contains(
        QStringLiteral("FAILED: la copia della pagina non è finita in tempo (pagina troppo "
                       "grande o sempre occupata) ciclo-dopo.html")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(noText + "vuota.html"));
    EXPECT_TRUE(run.err.contains(QStringLiteral("FAILED: sito irraggiungibile "
                                                "(net::ERR_CONNECTION_REFUSED) ") +
                                 refused));
    // Dialogs are dismissed and pop-ups refused: those pages are taken.
    EXPECT_EQ(QDir(here().filePath("ostili")).entryList(QDir::Files),
              QStringList({"avvisi.txt", "finestre.txt", "lingue.txt"}));
}

// Addresses and output names a hostile list or site would give: each ends with its reason,
// nothing is written outside the output folder, and the good page is still taken.
TEST_P(QtBatchCapture, BadInputEndsWithAReasonAndNothingLeavesTheFolder) {
    LocalHttpServer server;
    server.answer("/ciclo", "302 Found", "Location: /ciclo\r\n");
    server.answer("/locale", "302 Found",
                  "Location: " + QUrl::fromLocalFile(pages().constFirst()).toEncoded() + "\r\n");
    server.serve("/buona", QByteArray(kHead) + "<p>buona</p>");
    const QDir out(here().filePath(QStringLiteral("ostile")));
    ASSERT_TRUE(out.mkpath("."));
    const QString outside = here().filePath(QStringLiteral("fuori.txt"));
    ASSERT_TRUE(QFile::link(outside, out.filePath(QStringLiteral("lingue.txt"))));

    const QByteArray list = server.url("/ciclo").toUtf8() + "\n" + server.url("/locale").toUtf8() +
                            "\nhttps://a.invalid/\x01%00\n" + pages().constFirst().toUtf8() +
                            "\nchrome://crash\nhttps://a.org/" + QByteArray(5 << 20, 'x') + "\n" +
                            server.url("/buona").toUtf8() + "\n";
    for (const bool force : {false, true}) {
        const CommandRun run = capture(QStringList{"--timeout", "20", "-o", "ostile", "-"} +
                                           (force ? QStringList{"--force"} : QStringList{}),
                                       list);
        EXPECT_EQ(run.exitCode, 1);
        for (const char* reason : {"ERR_TOO_MANY_REDIRECTS", "ERR_UNSAFE_REDIRECT",
                                   "carattere nullo", "collegamento simbolico: non viene seguito",
                                   "processo della pagina", "indirizzo troppo lungo"})
            EXPECT_TRUE(run.err.contains(QString::fromUtf8(reason))) << reason << "\n"
                                                                     << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("] ok ")) && !run.err.contains(QChar(1)))
            << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(outside));
    }
    EXPECT_EQ(contentOf(out.filePath(QStringLiteral("127.0.0.1_buona.txt"))), "buona");
}

// The records of --format jsonl, parsed back: the final address after a redirect, the title,
// the language and the text as --format txt writes it; the status and reason of a failure;
// the page's console with --verbose only; a sitemap's pages with --sitemap; robots.txt.
TEST_P(QtBatchCapture, JsonLinesCarryWhatThePageSaysOfItself) {
    LocalHttpServer server;
    server.answer("/vai", "301 Moved Permanently", "Location: /pagina\r\n");
    server.serve("/pagina", "<!DOCTYPE html><html lang='it'><head><meta charset='utf-8'>"
                            "<title>Il titolo</title></head><body><p>Città</p>"
                            "<script>console.error('rumore \\x1b[2J');</script></body></html>");
    const CommandRun run = capture({"--format", "jsonl", server.url("/vai"), server.url("/manca")});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    QHash<QString, QJsonObject> records;
    for (const QByteArray& line : run.out.split('\n'))
        if (!line.isEmpty()) {
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            records.insert(record.value("address").toString(), record);
        }
    ASSERT_EQ(records.size(), 2) << run.out.toStdString();
    const QJsonObject page = records.value(server.url("/vai"));
    EXPECT_EQ(page.value("url").toString(), server.url("/pagina"));
    EXPECT_EQ(page.value("title").toString(), QStringLiteral("Il titolo"));
    EXPECT_EQ(page.value("lang").toString(), "it");
    EXPECT_EQ(page.value("text").toString(), QStringLiteral("Città"));
    EXPECT_EQ(page.value("index").toInt(), 0);
    EXPECT_EQ(page.value("status").toInt(), 200);
    const QJsonObject missing = records.value(server.url("/manca"));
    EXPECT_EQ(missing.value("status").toInt(), 404);
    EXPECT_TRUE(missing.value("error").toString().contains(QStringLiteral("HTTP 404")));
    // The page's console reaches standard error only when asked for, without its controls.
    EXPECT_FALSE(run.err.contains(QStringLiteral("rumore"))) << run.err.toStdString();
    const CommandRun verbose = capture({"--verbose", server.url("/pagina")});
    // A sitemap, reached through a redirect, stands for its pages.
    server.answer("/mappa", "302 Found", "Location: /sitemap.xml\r\n");
    server.serve("/sitemap.xml", "<urlset><url><loc>" + server.url("/pagina").toUtf8() +
                                     "</loc></url><url><loc>" + server.url("/vai").toUtf8() +
                                     "</loc></url></urlset>");
    const CommandRun mapped = capture({"--sitemap", "--format", "jsonl", server.url("/mappa")});
    EXPECT_EQ(mapped.exitCode, 0) << mapped.err.toStdString();
    EXPECT_EQ(mapped.out.count(QByteArray("\"text\":\"Città\"")), 2) << mapped.out.toStdString();
    // A robots.txt for the engine's agent forbids one page.
    const QByteArray agent = GetParam() == std::string("qt") ? "QtWebEngine" : "HeadlessChrome";
    server.serve("/robots.txt",
                 "User-agent: *\nDisallow: /\n\nUser-agent: " + agent + "\nDisallow: /vietata\n");
    const CommandRun polite =
        capture({"--robots", "-o", "cortese", server.url("/pagina"), server.url("/vietata")});
    EXPECT_TRUE(polite.err.contains(QStringLiteral("FAILED: pagina vietata dal robots.txt del "
                                                   "sito ") +
                                    server.url("/vietata")))
        << polite.err.toStdString();
    EXPECT_EQ(QDir(here().filePath("cortese")).entryList(QDir::Files),
              QStringList({"127.0.0.1_pagina.txt"}));
    // robots.txt and the sitemaps are asked for with the engine's own user agent.
    const QStringList fetched =
        server.requests().filter(QRegularExpression("^GET /(robots\\.txt|mappa|sitemap\\.xml) "));
    EXPECT_EQ(fetched.size(), 3);
    for (const QString& request : fetched)
        EXPECT_TRUE(request.contains(
            QRegularExpression("\r\nUser-Agent: [^\r]*" + QString::fromLatin1(agent) + u'/',
                               QRegularExpression::CaseInsensitiveOption)))
            << request.toStdString();
    EXPECT_TRUE(verbose.err.contains(QStringLiteral("console della pagina: rumore [2J")))
        << verbose.err.toStdString();
}

// A run killed, then one stopped by SIGTERM, each resumed from its journal: what was done is
// not loaded again, what was in flight is, and the folder holds only whole page files.
TEST_P(QtBatchCapture, AnInterruptedRunResumesFromItsJournal) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const QString never = QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort());
    const QStringList list = QStringList{never} + pages();
    const QString journal = here().filePath(QStringLiteral("giornale.jsonl"));
    for (const int signal : {SIGKILL, SIGTERM}) {
        QFile::remove(journal);
        QDir(here().filePath(QStringLiteral("ripresa"))).removeRecursively();
        QProcess process;
        process.setWorkingDirectory(here().path());
        process.start(QStringLiteral(VELCARO_EXE),
                      QStringList{"--capture", "--engine", GetParam(), "-j", "4", "--journal",
                                  journal, "-o", "ripresa"} +
                          list);
        // Stopped once every page but the silent server's is in the journal.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return contentOf(journal).count('\n') == pages().size() + 1; }, 60000));
        const QList<qint64> engine = descendants(process.processId());
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; },
                                    signal == SIGTERM ? 7000 : 2000));
        // The engine's processes end with the run, killed or not.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return std::none_of(engine.begin(), engine.end(), [](qint64 pid) {
                    return QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
                });
            },
            5000));
        if (signal == SIGTERM) {
            EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(process.exitCode(), 143) << process.readAllStandardError().toStdString();
        }
        EXPECT_EQ(QDir(here().filePath("ripresa"))
                      .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
                  QStringList({"lingue.txt", "script.txt", "struttura.txt"}));

        const CommandRun again = capture(
            QStringList{"--timeout", "1", "--retries", "0", "--journal", journal, "-o", "ripresa"} +
            list);
        EXPECT_EQ(again.exitCode, 1) << again.err.toStdString();
        EXPECT_TRUE(again.err.contains(QStringLiteral("3 già prese"))) << again.err.toStdString();
        EXPECT_EQ(again.err.count(QStringLiteral("FAILED")), 1) << again.err.toStdString();
        EXPECT_EQ(contentOf(journal).count('\n'), pages().size() + 2)
            << "its first line, the pages taken, and the page that failed";
    }
}

// The README's GNU parallel recipe, with two local slots for two machines: each block writes
// its own records file, numbered by the block, and counts its positions from the block's
// first. Two blocks fail (a file not there yet); run again, parallel takes only those two,
// and the records of the blocks that ended stay: every address has one record, at its place.
TEST_P(QtBatchCapture, GnuParallelResumedKeepsEveryRecordAtItsPlace) {
    if (GetParam() != std::string("qt"))
        GTEST_SKIP() << "the recipe splits the list the same way whatever the engine";
    const QString parallel = QStandardPaths::findExecutable(QStringLiteral("parallel"));
    ASSERT_FALSE(parallel.isEmpty()) << "GNU parallel: scripts/bootstrap";
    const QStringList late = {QStringLiteral("tardi-3.html"), QStringLiteral("tardi-12.html")};
    QStringList list;
    for (int i = 0; i < 20; ++i)
        list << (i == 3    ? late[0]
                 : i == 12 ? late[1]
                           : QUrl::fromLocalFile(pages().at(i % 3)).toString() +
                                 QStringLiteral("?n=%1").arg(i));
    const QStringList recipe = {"--will-cite",
                                "--pipe",
                                "-N",
                                "5",
                                "-S",
                                "2/:",
                                "--joblog",
                                "lavori.log",
                                "--resume-failed",
                                "--results",
                                "pagine/{#}.jsonl",
                                QStringLiteral(VELCARO_EXE),
                                "--capture",
                                "--engine",
                                GetParam(),
                                "--format",
                                "jsonl",
                                "--first-index",
                                "{= $_=(seq()-1)*5 =}",
                                "-"};
    const auto runRecipe = [&] {
        QProcess process;
        process.setWorkingDirectory(here().path());
        process.start(parallel, recipe);
        process.write(list.join(u'\n').toUtf8() + '\n');
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(300000));
        return process.exitCode();
    };
    EXPECT_NE(runRecipe(), 0) << "two blocks failed";
    for (const QString& name : late)
        ASSERT_TRUE(QFile::copy(pages().constFirst(), here().filePath(name)));
    EXPECT_EQ(runRecipe(), 0);

    QMap<int, QString> recorded;
    int records = 0;
    for (const QFileInfo& block :
         QDir(here().filePath("pagine")).entryInfoList({"*.jsonl"}, QDir::Files)) {
        for (const QByteArray& line : contentOf(block.filePath()).split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            EXPECT_FALSE(record.contains("error")) << line.toStdString();
            recorded.insert(record.value("index").toInt(), record.value("address").toString());
            ++records;
        }
    }
    EXPECT_EQ(records, list.size());
    EXPECT_EQ(recorded.values(), list);
    EXPECT_EQ(contentOf(here().filePath("lavori.log")).count('\n'), 1 + 4 + 2)
        << "the blocks that ended are not run again";
}

// The addresses are the command's own: none of them reaches the engine as a switch, here one
// that would run a program in front of every page process.
TEST_P(QtBatchCapture, NoAddressIsAnEngineSwitch) {
    const QString marker = here().filePath(QStringLiteral("eseguito"));
    const QString script = here().filePath(QStringLiteral("prefisso.sh"));
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\ntouch '" + marker.toUtf8() + "'\nexec \"$@\"\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);

    const CommandRun run = capture({"-o", "opzioni", "--", pages().constFirst(), "--webEngineArgs",
                                    "--renderer-cmd-prefix=" + script});
    EXPECT_EQ(run.exitCode, 1) << "the two words are addresses that fail";
    EXPECT_FALSE(QFile::exists(marker)) << "the engine ran the command";
    EXPECT_TRUE(QFile::exists(here().filePath("opzioni/lingue.txt"))) << run.err.toStdString();
}

// A page of 10,000 nested blocks: its copy takes the engine seconds that its text's size
// does not foretell. Taken whole, and as main text, which is never empty.
TEST_P(QtBatchCapture, ADeepPageIsCopiedWholeAndAsMainText) {
    if (GetParam() != std::string("chromium"))
        GTEST_SKIP() << "the window's engine copies it in qt_capture_engine_test";
    const QByteArray text = QByteArray("Testo in fondo. ").repeated(400);
    QFile f(here().filePath("profonda.html"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(kHead) + QByteArray("<div>").repeated(10000) + "<p>" + text + "</p>" +
            QByteArray("</div>").repeated(10000) + "</body></html>");
    f.close();
    // The main text: its ranges are copied, or the whole page when they copy to nothing.
    const CommandRun run =
        capture({"--main", "--format", "jsonl", "--retries", "0", "profonda.html"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject record = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(record.value("text").toString().trimmed(), QString::fromUtf8(text).trimmed());
}

// Each address sees what a page opened for the first time sees, whatever the pages before it
// left: a window name set by a local page, storage, cookies and history of the same site.
TEST_P(QtBatchCapture, EachAddressStartsFromAFreshPage) {
    const QByteArray set = "<p>Pagina che lascia tracce.</p><script>window.name = 'SEGRETO';"
                           "sessionStorage.setItem('s', 1); localStorage.setItem('l', 1);"
                           "document.cookie = 'c=1';</script>";
    const QByteArray read =
        "<p id='o'></p><script>document.getElementById('o').textContent = 'nome=[' + "
        "window.name + '] ss=' + sessionStorage.length + ' ls=' + localStorage.length + "
        "' cookie=[' + document.cookie + '] storia=' + history.length;"
        "new Image().src = '/registro?' + encodeURIComponent(window.name);</script>";
    LocalHttpServer server;
    server.serve("/lascia.html", QByteArray(kHead) + set);
    server.serve("/legge.html?1", QByteArray(kHead) + read);
    server.serve("/legge.html?2", QByteArray(kHead) + read);
    QFile local(here().filePath(QStringLiteral("lascia.html")));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly));
    local.write(QByteArray(kHead) + set);
    local.close();

    const CommandRun run =
        capture({"-j", "1", "-o", "fresche", "lascia.html", server.url("/legge.html?1"),
                 server.url("/lascia.html"), server.url("/legge.html?2")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QDir out(here().filePath(QStringLiteral("fresche")));
    const QStringList readers = out.entryList({QStringLiteral("*legge*")}, QDir::Files);
    ASSERT_EQ(readers.size(), 2);
    for (const QString& name : readers)
        EXPECT_EQ(contentOf(out.filePath(name)), "nome=[] ss=0 ls=0 cookie=[] storia=1")
            << name.toStdString();
    // What the reading pages asked the server for carries nothing of the pages before.
    for (const QString& request : server.requests()) {
        EXPECT_FALSE(request.contains(QStringLiteral("SEGRETO"))) << request.toStdString();
        if (!request.contains(QStringLiteral("lascia"))) {
            EXPECT_FALSE(request.contains(QStringLiteral("Cookie:"))) << request.toStdString();
        }
    }
}

// The copy does not depend on the text being new: pages with the same text, one after the
// other in the same page object, are each captured.
TEST_P(QtBatchCapture, PagesWithTheSameTextAreEachCaptured) {
    const QString page = QUrl::fromLocalFile(pages().constFirst()).toString();
    const CommandRun run = capture({"-j", "1", "-o", "uguali", page + "?i=1", page + "?i=2",
                                    page + "?i=3", pages().constLast()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(here().filePath("uguali")).entryList(QDir::Files).size(), 4);
}

// Pages made for the finder: an article among menus, beside a column of other stories, above
// its comments, with a block of code, a list of stories with no article, and a manual's chapter
// whose sections are thick with links to commands and packages, one with a note set in its
// text, between navigation bars and above comments in German.
TEST_P(QtBatchCapture, TheMainTextLeavesMenusColumnsAndCommentsOut) {
    const QDir pages(QStringLiteral(VELCARO_MAIN_TEXT_PAGES));
    expectMainText(
        {{pages.filePath("article-among-menus.html"), "pumps work", {"Local news", "cookies"}},
         {pages.filePath("two-columns.html"), "story hour", {"Popular this week"}},
         {pages.filePath("comments.html"), "open crumb", {"12 comments", "Put it in the oven"}},
         {pages.filePath("code-article.html"), "print(riga.strip())", {"Contatti", "Privacy"}},
         {pages.filePath("list-page.html"), "Choir seeks new voices", {}},
         {pages.filePath("manual-chapter.html"),
          "Sezione ultima: il manuale finisce",
          {"Capitolo precedente", "Ottimo capitolo"}}},
        here().filePath("principale"));
}

// Saved article pages of the public benchmark, when it is at hand.
TEST_P(QtBatchCapture, TheMainTextOfSavedArticlePages) {
    const QDir data(QStringLiteral(VELCARO_ARTICLE_BENCHMARK "/html"));
    if (!data.exists())
        GTEST_SKIP() << "no benchmark pages in " << data.path().toStdString();
    const struct {
        const char* id;
        const char* kept;
        const char* left;
    } saved[] = {
        {"2c46804d9db4a85e8f8d31128ce0e11d02f25c7120c2faa5ec0664c604a47717",
         "said U.S. Attorney Nealy Cox", "Boeing 737 Engines"},
        {"5caf91b8a4423735f866b089d2611ea14503584cf3b6f487c6d26eb7b9521fca",
         "Officials did not immediately provide any other details", "Contact SFGATE"},
        {"3cb5e2f46626d5bb0345759453036f7eabc0b0c7796b796513606bf693060ced", "Let's wait and see",
         "Car Deals"},
    };
    QList<MainTextCase> cases;
    for (const auto& page : saved) {
        const QString path = here().filePath(QString::fromLatin1(page.id).left(12) + ".html");
        QProcess gzip;
        gzip.setStandardOutputFile(path);
        gzip.start(QStringLiteral("gzip"),
                   {"-dc", data.filePath(QString::fromLatin1(page.id) + ".html.gz")});
        ASSERT_TRUE(gzip.waitForFinished() && gzip.exitCode() == 0) << page.id;
        cases.append({path, QString::fromUtf8(page.kept), {QString::fromUtf8(page.left)}});
    }
    expectMainText(cases, here().filePath("articoli"));
}

// Under a real X server the command still runs offscreen, with a clipboard of its own: the
// user's clipboard and selection hold what they held.
TEST_P(QtBatchCapture, TheUsersClipboardIsUntouched) {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
    ASSERT_FALSE(xvfb.isEmpty() || xclip.isEmpty()) << "Xvfb and xclip: scripts/bootstrap";
    QProcess server;
    server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                        QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ASSERT_TRUE(server.waitForReadyRead(20000));
    const QString display = u':' + QString::fromLatin1(server.readLine()).trimmed();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("DISPLAY"), display);
    const auto xclipRun = [&](const QStringList& args, const QByteArray& input) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(xclip, args);
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(10000);
        return p.readAllStandardOutput();
    };
    for (const char* selection : {"clipboard", "primary"})
        xclipRun({"-selection", selection}, QByteArray("dell'utente: ") + selection);

    const CommandRun run = capture({"-o", "x", pages().constFirst()}, {}, env);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const char* selection : {"clipboard", "primary"})
        EXPECT_EQ(xclipRun({"-selection", selection, "-o"}, {}),
                  QByteArray("dell'utente: ") + selection);
    server.terminate();
    server.waitForFinished(5000);
}

INSTANTIATE_TEST_SUITE_P(Engines, QtBatchCapture, ::testing::Values("chromium", "qt"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

} // namespace
