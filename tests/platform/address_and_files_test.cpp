// How typed addresses are read, how a failed save is described, how the capture's files are
// written without following links, and what reaches standard error.

#include "platform/atomic_file.h"
#include "platform/save_failure.h"
#include "platform/std_console.h"
#include "platform/typed_address.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

using namespace velcaro;

namespace {

// One table for the window's GO and command line (`window`) and for the capture (`capture`),
// against a working folder /lavoro holding "pagina è.html", "docs/" and "~nome/p.html".
TEST(TypedAddress, OneReaderForTheWindowAndTheCapture) {
    const QSet<QString> existing{"/lavoro/pagina è.html", "/lavoro/docs", "/lavoro/~nome/p.html"};
    const PathExists exists = [&](const QString& path) {
        return existing.contains(path);
    };
    using Kind = TypedAddress::Kind;
    const QString home = QDir::homePath();
    struct Case {
        const char* typed;
        bool capture;
        Kind kind;
        QString url;
    };
    const Case cases[] = {
        {"pagina è.html", false, Kind::LocalFile, "file:///lavoro/pagina è.html"},
        {"docs/../pagina è.html", false, Kind::LocalFile, "file:///lavoro/pagina è.html"},
        {"/non/esiste.html", false, Kind::LocalFile, "file:///non/esiste.html"},
        {"~/p.html", false, Kind::LocalFile, "file://" + home + "/p.html"},
        {"~", false, Kind::LocalFile, "file://" + home},
        {"~nome/p.html", false, Kind::LocalFile, "file:///lavoro/~nome/p.html"},
        {"www.esempio.it/valute", false, Kind::Web, "http://www.esempio.it/valute"},
        {"localhost:8080/prova", false, Kind::Web, "http://localhost:8080/prova"},
        {"https://esempio.it/a?b=1", false, Kind::Web, "https://esempio.it/a?b=1"},
        {"file:///tmp/a%20b.html", false, Kind::LocalFile, "file:///tmp/a b.html"},
        {"about:blank", false, Kind::Other, "about:blank"},
        // A missing page name is a site to the window, a missing file to the capture.
        {"manca.html", false, Kind::Web, "http://manca.html"},
        {"manca.html", true, Kind::LocalFile, "file:///lavoro/manca.html"},
        {"docs/manca.htm", false, Kind::Web, "http://docs/manca.htm"},
        {"docs/manca.htm", true, Kind::LocalFile, "file:///lavoro/docs/manca.htm"},
        {"./manca", true, Kind::LocalFile, "file:///lavoro/manca"},
        {"../manca", true, Kind::LocalFile, "file:///manca"},
        {"esempio.it", true, Kind::Web, "http://esempio.it"},
        {"altro/pagina.html", true, Kind::Web, "http://altro/pagina.html"},
    };
    for (const Case& c : cases) {
        AddressReading reading;
        reading.missingPathsAreLocal = c.capture;
        const TypedAddress address =
            readAddress(QString::fromUtf8(c.typed), QStringLiteral("/lavoro"), exists, reading);
        EXPECT_EQ(address.kind, c.kind) << c.typed << (c.capture ? " (capture)" : "");
        EXPECT_EQ(address.url, QUrl(c.url)) << c.typed << (c.capture ? " (capture)" : "");
    }
    const QUrl accented = readAddress(QStringLiteral("città.it/caffè"), "/", exists).url;
    EXPECT_EQ(accented.host().toLatin1(), QUrl::toAce(QStringLiteral("città.it")));
    EXPECT_EQ(accented.path(), QStringLiteral("/caffè"));
}

TEST(SaveFailure, NamesTheCauseAndThePath) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("manca/testo.txt"));
    const VelcaroError noFolder = saveFailure(missing, ENOENT);
    EXPECT_EQ(noFolder.number(), 76);
    EXPECT_TRUE(noFolder.description().contains(missing));

    EXPECT_EQ(saveFailure(dir.path(), EISDIR).number(), 75) << "a folder in the way";
    EXPECT_EQ(saveFailure(dir.filePath(QStringLiteral("a.txt")), EACCES).number(), 70);
    EXPECT_EQ(saveFailure(dir.filePath(QStringLiteral("a.txt")), EROFS).number(), 70);
    EXPECT_EQ(saveFailure(dir.filePath(QStringLiteral("a.txt")), ENOSPC).number(), 61);
    EXPECT_EQ(saveFailure(dir.filePath(QStringLiteral("a.txt")), EFBIG).number(), 61);
    EXPECT_EQ(saveFailure(QString(), 0).number(), 52);
    const VelcaroError other = saveFailure(dir.filePath(QStringLiteral("a.txt")), EIO);
    EXPECT_EQ(other.number(), 75);
    EXPECT_TRUE(other.description().contains(dir.filePath(QStringLiteral("a.txt"))));
}

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(OwnFile, IsWrittenWholeAndNeverThroughALink) {
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("fuori.txt"));
    const QString dangling = dir.filePath(QStringLiteral("pendente.txt"));
    const QString pointing = dir.filePath(QStringLiteral("collegato.txt"));
    ASSERT_TRUE(QFile::link(target, dangling));
    QFile(target + QStringLiteral(".vero")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(target + QStringLiteral(".vero"), pointing));
    for (const QString& link : {dangling, pointing})
        for (const bool replace : {false, true}) {
            try {
                writeOwnFile(link, "testo", replace);
                ADD_FAILURE() << "written through " << link.toStdString();
            } catch (const VelcaroError& e) {
                EXPECT_TRUE(e.description().contains(QStringLiteral("collegamento simbolico")))
                    << e.description().toStdString();
            }
        }
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(contentOf(target + QStringLiteral(".vero")), QByteArray());

    const QString file = dir.filePath(QStringLiteral("pagina.txt"));
    writeOwnFile(file, "uno", false);
    EXPECT_THROW(writeOwnFile(file, "due", false), VelcaroError);
    EXPECT_EQ(contentOf(file), "uno");
    writeOwnFile(file, "tre", true);
    EXPECT_EQ(contentOf(file), "tre");
    EXPECT_THROW(writeOwnFile(dir.path(), "x", true), VelcaroError) << "a folder in the way";
    // Nothing but the files and links named here is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
              QStringList({"collegato.txt", "pagina.txt", "pendente.txt"}));
}

TEST(StdConsoleTest, ControlCharactersNeverReachStandardError) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("err"));
    std::FILE* err = std::fopen(QFile::encodeName(path).constData(), "w");
    ASSERT_NE(err, nullptr);
    {
        StdConsole console(stdout, err);
        console.report(QStringLiteral("titolo\x1b]0;preso\x07 \x1b[2J\rcancellato\x08\u009b1m"
                                      "\tfine\nriga\x00"
                                      "dopo"));
    }
    std::fclose(err);
    EXPECT_EQ(contentOf(path), "titolo]0;preso [2Jcancellato1m\tfine\nrigadopo\n");
}

} // namespace
