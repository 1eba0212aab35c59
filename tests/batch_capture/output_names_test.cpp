// What the command-line capture checks and names before it loads anything: the file names
// made from addresses, and the addresses that cannot be pages.

#include "batch_capture/capture_target.h"
#include "batch_capture/output_names.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velcaro;

namespace {

QString stem(const QString& url) {
    return outputStem(QUrl(url));
}

TEST(OutputNames, ComeFromTheHostAndPathOrTheLocalFileName) {
    EXPECT_EQ(stem("https://example.org/docs/guida/intro.html"), "example.org_docs_guida_intro");
    EXPECT_EQ(stem("https://example.org/"), "example.org");
    EXPECT_EQ(stem("http://example.org/cerca?q=caffè&p=2"), "example.org_cerca_q_caffè_p_2");
    EXPECT_EQ(stem("file:///home/u/Città e paesi.HTM"), "Città_e_paesi");
    EXPECT_EQ(stem("file:///tmp/.nascosto.html"), "nascosto");
    EXPECT_EQ(stem("https://例え.jp/ページ/一.html"), "例え.jp_ページ_一");
    // Nothing left of the address: a plain name.
    EXPECT_EQ(stem("file:///tmp/...html"), "pagina");
    // Nothing that leaves the folder or troubles a terminal.
    for (const char* hostile :
         {"https://a.org/../../etc/passwd", "https://a.org/%2e%2e%2f%2e%2e%2fetc%2fpasswd",
          "https://a.org/..%5c..%5cx", "https://a.org/%1b]0;x%07%0d%0a%00y", "file:///tmp/..",
          "https://a.org/?q=/../..%2f"}) {
        const QString name = stem(QString::fromUtf8(hostile));
        EXPECT_FALSE(name.contains(u'/') || name.contains(u'\\') || name.startsWith(u'.') ||
                     name.contains(QChar(0x1b)) || name.contains(QChar(0)) || name.isEmpty())
            << hostile << " -> " << name.toStdString();
    }
}

TEST(OutputNames, AreUniqueAndShortEnoughForAnyFileSystem) {
    OutputNames names(QStringLiteral(".txt"));
    EXPECT_EQ(names.take(QUrl("file:///a/index.html")), "index.txt");
    EXPECT_EQ(names.take(QUrl("file:///b/index.html")), "index-2.txt");
    EXPECT_EQ(names.take(QUrl("file:///c/INDEX.html")), "INDEX-3.txt");
    EXPECT_EQ(names.take(QUrl("file:///d/index-2.html")), "index-2-2.txt");

    const QString longPath = QStringLiteral("https://example.org/") + QString(300, u'è');
    const QString first = names.take(QUrl(longPath));
    const QString second = names.take(QUrl(longPath));
    EXPECT_LE(first.toUtf8().size(), OutputNames::kMaxNameBytes);
    EXPECT_LE(second.toUtf8().size(), OutputNames::kMaxNameBytes);
    EXPECT_TRUE(second.endsWith("-2.txt"));
    EXPECT_NE(first, second);
    // Never cut inside a character made of two UTF-16 units.
    const QString emoji =
        names.take(QUrl(QStringLiteral("https://x.org/") + QString(200, u'a') +
                        QStringLiteral("🙂🙂🙂🙂🙂🙂🙂🙂🙂🙂")));
    EXPECT_FALSE(emoji.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(QString::fromUtf8(emoji.toUtf8()), emoji);
}

class CaptureTargets : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return name;
    }
    QString problem(const QString& address) { return captureTarget(address, dir.path()).problem; }
    QTemporaryDir dir;
};

TEST_F(CaptureTargets, LocalPagesAndTextLoad) {
    EXPECT_EQ(problem(write("pagina.html", "<p>ciao</p>")), QString());
    EXPECT_EQ(problem(write("note.txt", "testo")), QString());
    EXPECT_EQ(problem(write("utf16.html", QByteArray("\xff\xfe<\0p\0>\0", 8))), QString());
    const CaptureTarget target = captureTarget(QStringLiteral("pagina.html"), dir.path());
    EXPECT_EQ(target.url, QUrl::fromLocalFile(dir.filePath("pagina.html")));
    // Web addresses are not checked here; the engine reports them.
    EXPECT_EQ(problem("https://example.org/a"), QString());
    EXPECT_EQ(captureTarget("example.org", dir.path()).url, QUrl("http://example.org"));
}

TEST_F(CaptureTargets, MissingFilesFoldersAndBinariesAreRefusedBeforeLoading) {
    EXPECT_EQ(problem("manca.html"), "file inesistente") << "a page name, not a site";
    ASSERT_TRUE(QDir(dir.path()).mkpath("sub"));
    EXPECT_EQ(problem("sub/manca.htm"), "file inesistente");
    EXPECT_EQ(problem("./manca"), "file inesistente");
    EXPECT_EQ(problem(dir.filePath("manca")), "file inesistente");
    EXPECT_EQ(problem("sub"), QStringLiteral("è una cartella, non una pagina"));
    EXPECT_EQ(problem(write("dati.html", QByteArray("<p>\0\1\2</p>", 10))),
              QStringLiteral("file binario, non una pagina"));
    EXPECT_TRUE(problem(write("foto.png", QByteArray("\x89PNG\r\n\x1a\n", 8)))
                    .startsWith(QStringLiteral("non è una pagina né un testo (image/png)")));
    EXPECT_EQ(problem("   "), "indirizzo vuoto");
}

TEST_F(CaptureTargets, AddressesTooLongWithNullsOrNotUtf8FailAtOnce) {
    const struct {
        QString address;
        const char* problem;
    } cases[] = {
        {QStringLiteral("https://a.org/") + QString(5 << 20, u'a'), "indirizzo troppo lungo"},
        {QStringLiteral("https://a.org/a%00b"), "carattere nullo"},
        {QString::fromUtf8("https://a.org/a\0https://b.org/", 30), "carattere nullo"},
        {QString::fromUtf8("https://a.org/\xff\xfe"), "UTF-8 valido"},
    };
    for (const auto& c : cases) {
        const CaptureTarget target = captureTarget(c.address, dir.path());
        EXPECT_TRUE(target.problem.contains(QString::fromUtf8(c.problem)))
            << target.problem.toStdString();
        EXPECT_LE(target.address.size(), 201);
    }
}

} // namespace
