// `velcaro --capture --crawl` on a small local site with each engine: every page in scope
// taken once whatever variant of its address the links give, the scope's edges, a redirect,
// a redirect loop, a link trap, a path trap, an anti-bot challenge, a PDF, an image, links to
// other schemes, robots.txt, a sitemap naming pages the links name too; killed (SIGKILL)
// while a page loads and run again, it takes every page not yet done and none twice.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList lines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

class QtCrawl : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QPdfWriter pdf(dir.filePath("doc.pdf"));
        QPainter painter(&pdf);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
        painter.drawText(QPointF(200, 400), QStringLiteral("Testo del documento PDF"));
        painter.end();
        server.start(QStringLiteral("python3"), {QStringLiteral(VELCARO_CRAWL_SITE), dir.path()});
        ASSERT_TRUE(QTest::qWaitFor([this] { return QFile::exists(dir.filePath("port")); }, 20000));
        port = lines(dir.filePath("port")).value(0);
    }
    void TearDown() override {
        server.kill();
        server.waitForFinished(5000);
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port, path);
    }
    // The crawl of the site's guide, started; its records and journal in the test's folder.
    void start(QProcess& process) {
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(VELCARO_EXE), {"--capture",
                                                    "--engine",
                                                    QString::fromLatin1(GetParam()),
                                                    "--crawl",
                                                    "--depth",
                                                    "3",
                                                    "--max-per-pattern",
                                                    "3",
                                                    "--robots",
                                                    "--follow-sitemaps",
                                                    "--jobs",
                                                    "1",
                                                    "--per-host",
                                                    "1",
                                                    "--retries",
                                                    "0",
                                                    "--timeout",
                                                    "30",
                                                    "--format",
                                                    "jsonl",
                                                    "-o",
                                                    "pagine.jsonl",
                                                    "--journal",
                                                    "giornale",
                                                    url("/docs/index.html")});
    }
    // How many times the site was asked for each path.
    QMap<QString, int> requests() const {
        QMap<QString, int> counts;
        for (const QString& path : lines(dir.filePath("requests")))
            ++counts[path];
        return counts;
    }

    QTemporaryDir dir;
    QProcess server;
    QString port;
};

TEST_P(QtCrawl, TakesEachPageInScopeOnceAndResumesAfterSigkillWithoutRetakingAny) {
    QProcess first;
    start(first);
    // The slow page is the last one of the index's links: everything before it is done.
    ASSERT_TRUE(QTest::qWaitFor([this] { return requests().contains("/docs/hold.html"); }, 180000));
    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    const QStringList firstRecords = lines(dir.filePath("pagine.jsonl"));
    QFile release(dir.filePath("release"));
    ASSERT_TRUE(release.open(QIODevice::WriteOnly));

    QProcess second;
    start(second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 180000));
    const QString err = QString::fromUtf8(second.readAllStandardError());
    EXPECT_EQ(second.exitCode(), 1) << "the challenge, the loop and robots.txt fail pages\n"
                                    << err.toStdString();

    QMap<QString, QJsonObject> taken;
    QMap<QString, QString> failed;
    QStringList takenTwice;
    const QStringList records = lines(dir.filePath("pagine.jsonl"));
    for (const QString& line : records) {
        const QJsonObject record = QJsonDocument::fromJson(line.toUtf8()).object();
        const QString path = QUrl(record["address"].toString()).path(QUrl::FullyEncoded) +
                             (QUrl(record["address"].toString()).hasQuery()
                                  ? u'?' + QUrl(record["address"].toString()).query()
                                  : QString());
        if (record.contains("error")) {
            failed[path] = record["error"].toString();
            continue;
        }
        if (taken.contains(path))
            takenTwice << path;
        taken[path] = record;
    }
    EXPECT_TRUE(takenTwice.isEmpty()) << takenTwice.join(", ").toStdString();
    EXPECT_GT(firstRecords.size(), 5) << "the first run took pages before it was killed";
    const QStringList expected{"/docs/index.html",  "/docs/a.html",      "/docs/redirect.html",
                               "/docs/trap?n=1",    "/docs/trap?n=2",    "/docs/trap?n=3",
                               "/docs/deep/1.html", "/docs/deep/2.html", "/docs/deep/3.html",
                               "/docs/doc.pdf",     "/docs/dup.html",    "/docs/canon.html",
                               "/docs/hold.html",   "/docs/next.html",   "/docs/from-sitemap.html"};
    EXPECT_EQ(QStringList(taken.keys()), [&] {
        QStringList sorted = expected;
        sorted.sort();
        return sorted;
    }()) << err.toStdString();
    EXPECT_EQ(QStringList(failed.keys()),
              QStringList({"/docs/challenge.html", "/docs/loop.html", "/docs/private/p.html"}));
    EXPECT_TRUE(failed.value("/docs/challenge.html").contains("anti-bot"))
        << failed.value("/docs/challenge.html").toStdString();

    // What the records say of the pages.
    EXPECT_EQ(taken["/docs/dup.html"]["duplicate_of"].toString(), url("/docs/a.html"));
    EXPECT_TRUE(taken["/docs/dup.html"]["text"].toString().isEmpty());
    EXPECT_EQ(taken["/docs/doc.pdf"]["type"].toString(), "pdf");
    EXPECT_TRUE(taken["/docs/doc.pdf"]["text"].toString().contains("Testo del documento PDF"));
    EXPECT_EQ(taken["/docs/redirect.html"]["url"].toString(), url("/docs/b.html"));
    EXPECT_TRUE(taken["/docs/a.html"]["text"].toString().contains("caffè e perché"));
    EXPECT_EQ(taken["/docs/deep/3.html"]["depth"].toInt(), 3);
    const QJsonArray indexLinks = taken["/docs/index.html"]["links"].toArray();
    for (const QString& listed :
         {url("/outside.html"), url("/docs/image.png"), url("/docs/seg/seg/seg/x.html"),
          url("/docs/a.html"), url("/docs/next.html")})
        EXPECT_TRUE(indexLinks.contains(listed)) << listed.toStdString();
    EXPECT_EQ(indexLinks.size(), 22 - 3 + 1) << "the variants of a.html are one link";

    // The site was asked for each page once, the one in flight when the run was killed twice;
    // never for what was out of scope, a trap or no page.
    const QMap<QString, int> asked = requests();
    for (const QString& path : expected) {
        if (path != "/docs/hold.html" && path != "/docs/redirect.html") {
            EXPECT_EQ(asked.value(path), 1) << path.toStdString();
        }
    }
    EXPECT_EQ(asked.value("/docs/b.html"), 1) << "taken through its redirect only";
    EXPECT_EQ(asked.value("/docs/hold.html"), 2);
    for (const char* never : {"/outside.html", "/docs/image.png", "/docs/seg/seg/seg/x.html",
                              "/docs/trap?n=4", "/docs/deep/4.html", "/docs/c.html",
                              "/docs/private/p.html", "/other/x.html", "/docs/%61.html"})
        EXPECT_EQ(asked.value(never), 0) << never;
    EXPECT_TRUE(err.contains("fermati come trappole")) << err.toStdString();

    // A third run finds nothing left but the failed pages; a journal of another crawl is
    // refused.
    QProcess other;
    other.setWorkingDirectory(dir.path());
    other.start(QStringLiteral(VELCARO_EXE),
                {"--capture", "--engine", QString::fromLatin1(GetParam()), "--crawl", "--depth",
                 "2", "--format", "jsonl", "-o", "pagine.jsonl", "--journal", "giornale",
                 url("/docs/index.html")});
    ASSERT_TRUE(other.waitForFinished(60000));
    EXPECT_EQ(other.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(other.readAllStandardError()).contains("un'altra cattura"));
}

INSTANTIATE_TEST_SUITE_P(Engines, QtCrawl, ::testing::Values("chromium", "qt"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

} // namespace
