// How typed addresses become URLs, and how a failed save is described.

#include "platform/address_url.h"
#include "platform/save_failure.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

using namespace velcaro;

namespace {

TEST(AddressToUrl, LocalPathsBecomeFileUrls) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("cartella è")));
    const QString relative = QStringLiteral("cartella è/pàgina 日本.html");
    QFile f(dir.filePath(relative));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    EXPECT_EQ(addressToUrl(dir.filePath(relative), QStringLiteral("/")),
              QUrl::fromLocalFile(dir.filePath(relative)));
    EXPECT_EQ(addressToUrl(relative, dir.path()), QUrl::fromLocalFile(dir.filePath(relative)))
        << "an existing relative path is taken from the working folder";
    EXPECT_EQ(addressToUrl(QStringLiteral("/non/esiste.html"), dir.path()),
              QUrl::fromLocalFile(QStringLiteral("/non/esiste.html")))
        << "an absolute path is a file even when it does not exist";
    EXPECT_EQ(addressToUrl(QStringLiteral("~/pagina.html"), dir.path()),
              QUrl::fromLocalFile(QDir::homePath() + QStringLiteral("/pagina.html")));
    EXPECT_EQ(addressToUrl(QStringLiteral("~"), dir.path()), QUrl::fromLocalFile(QDir::homePath()));
}

TEST(AddressToUrl, TildeFollowedByANameIsNotTheHomeFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("~nome")));
    QFile f(dir.filePath(QStringLiteral("~nome/pagina.html")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    EXPECT_EQ(addressToUrl(QStringLiteral("~nome/pagina.html"), dir.path()),
              QUrl::fromLocalFile(dir.filePath(QStringLiteral("~nome/pagina.html"))));
    EXPECT_NE(addressToUrl(QStringLiteral("~nome"), dir.path()),
              QUrl::fromLocalFile(QDir::homePath() + QStringLiteral("nome")));
}

TEST(AddressToUrl, WebAddressesKeepTheirSchemeOrBecomeHttp) {
    const QString here = QDir::tempPath();
    EXPECT_EQ(addressToUrl(QStringLiteral("www.esempio.it/valute"), here),
              QUrl(QStringLiteral("http://www.esempio.it/valute")));
    EXPECT_EQ(addressToUrl(QStringLiteral("localhost:8080/prova"), here),
              QUrl(QStringLiteral("http://localhost:8080/prova")));
    EXPECT_EQ(addressToUrl(QStringLiteral("https://esempio.it/a?b=1"), here),
              QUrl(QStringLiteral("https://esempio.it/a?b=1")));
    EXPECT_EQ(addressToUrl(QStringLiteral("about:blank"), here),
              QUrl(QStringLiteral("about:blank")));
    const QUrl accented = addressToUrl(QStringLiteral("città.it/caffè"), here);
    EXPECT_EQ(accented.scheme(), QStringLiteral("http"));
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

} // namespace
