// Where the default save names point: the application folder when the user can write there,
// else the documents folder (made when missing), else the home folder.

#include "platform/default_save_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velcaro;

namespace {

class DefaultSaveFolderTest : public ::testing::Test {
protected:
    QString path(const QString& relative) const { return dir.filePath(relative); }
    // The writability check for a program installed where the user cannot write: root may
    // write everywhere, so the test names the folders the user may not write into.
    DefaultSaveFolder::IsWritable everywhereBut(const QString& folder) const {
        return [folder](const QString& f) {
            return f != folder && DefaultSaveFolder::writableByUser(f);
        };
    }

    QTemporaryDir dir;
};

TEST_F(DefaultSaveFolderTest, AWritableApplicationFolderIsKept) {
    const QString app = path(QStringLiteral("portable"));
    ASSERT_TRUE(QDir().mkpath(app));
    const DefaultSaveFolder rule(path(QStringLiteral("Documenti")), path(QStringLiteral("home")));
    EXPECT_EQ(rule.forApplicationFolder(app), app);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("Documenti"))));
}

TEST_F(DefaultSaveFolderTest, ANonWritableApplicationFolderGivesTheDocumentsFolderMadeIfMissing) {
    const QString app = path(QStringLiteral("usr/bin"));
    ASSERT_TRUE(QDir().mkpath(app));
    const QString documents = path(QStringLiteral("home/Documenti"));
    const DefaultSaveFolder rule(documents, path(QStringLiteral("home")), everywhereBut(app));
    EXPECT_EQ(rule.forApplicationFolder(app), documents);
    EXPECT_TRUE(QFileInfo(documents).isDir());
    // Asked again, the folder now exists and is kept.
    EXPECT_EQ(rule.forApplicationFolder(app), documents);
}

TEST_F(DefaultSaveFolderTest, WithoutAUsableDocumentsFolderTheHomeFolder) {
    const QString app = path(QStringLiteral("usr/bin"));
    const QString home = path(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(app) && QDir().mkpath(home));
    EXPECT_EQ(DefaultSaveFolder(QString(), home, everywhereBut(app)).forApplicationFolder(app),
              home);
    // A file where the documents folder should be: it cannot be made.
    QFile blocker(path(QStringLiteral("home/Documenti")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(
        DefaultSaveFolder(blocker.fileName(), home, everywhereBut(app)).forApplicationFolder(app),
        home);
}

TEST_F(DefaultSaveFolderTest, OnlyAnExistingFolderTheUserMayWriteIntoIsWritable) {
    EXPECT_TRUE(DefaultSaveFolder::writableByUser(dir.path()));
    EXPECT_FALSE(DefaultSaveFolder::writableByUser(path(QStringLiteral("missing"))));
    QFile file(path(QStringLiteral("file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(DefaultSaveFolder::writableByUser(file.fileName()));
}

} // namespace
