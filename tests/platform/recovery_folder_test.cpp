// The recovery of the captured text on disk: which runs' texts are offered, once, and the
// write of a large text in the background.

#include "platform/atomic_file.h"
#include "platform/recovery_folder.h"
#include "platform/velcaro_error.h"
#include "support/qt_printers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velcaro;

namespace {

class RecoveryFolderTest : public ::testing::Test {
protected:
    QStringList files() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    static QString contentOf(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // The text `folder` offers, whatever its length.
    static std::optional<QString> take(RecoveryFolder& folder) {
        const std::optional<LeftText> left =
            folder.takeLeftText(std::numeric_limits<qint64>::max());
        return left ? std::optional(left->text) : std::nullopt;
    }
    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    // The permission bits of `folder` and of each of its files, as "name 700".
    static QStringList modes(const QString& folder) {
        QStringList modes;
        const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        for (const QString& name : QStringList{QString()} + names) {
            struct stat status {};
            ::lstat(QFile::encodeName(QDir(folder).filePath(name)).constData(), &status);
            modes << name + QStringLiteral(" %1").arg(status.st_mode & 07777, 0, 8);
        }
        return modes;
    }

    QTemporaryDir dir;
};

TEST_F(RecoveryFolderTest, ATextIsOfferedOnceItsRunHasEndedAndOnlyOnce) {
    auto ended = std::make_unique<RecoveryFolder>(dir.path());
    ended->keepNow(QStringLiteral("città e caffè"));
    RecoveryFolder next(dir.path());
    EXPECT_EQ(take(next), std::nullopt) << "its run still goes on";

    ended.reset();
    EXPECT_EQ(take(next), QStringLiteral("città e caffè"));
    EXPECT_EQ(take(next), std::nullopt);
    RecoveryFolder later(dir.path());
    EXPECT_EQ(take(later), std::nullopt) << "nor at a later start while this run asks";
}

TEST_F(RecoveryFolderTest, ATextOfferedByARunKilledBeforeTheAnswerIsOfferedAgainTwice) {
    RecoveryFolder(dir.path()).keepNow(QStringLiteral("città e caffè"));
    // A start that asks and is killed before the answer: whether it was offered `text`.
    const auto askAndDie = [this](const QString& text) {
        const pid_t asking = fork();
        if (asking == 0) {
            RecoveryFolder folder(dir.path());
            _exit(take(folder) == text ? 0 : 1);
        }
        int status = 0;
        return asking > 0 && waitpid(asking, &status, 0) == asking && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    };
    EXPECT_TRUE(askAndDie(QStringLiteral("città e caffè")));
    EXPECT_TRUE(askAndDie(QStringLiteral("città e caffè")));
    RecoveryFolder third(dir.path());
    EXPECT_EQ(take(third), QStringLiteral("città e caffè"));
    third.dropLeftText();
    EXPECT_EQ(files(), QStringList());

    RecoveryFolder(dir.path()).keepNow(QStringLiteral("testo"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(askAndDie(QStringLiteral("testo")));
    EXPECT_FALSE(askAndDie(QStringLiteral("testo")))
        << "a start that always ends while asking stops asking";
}

TEST_F(RecoveryFolderTest, ARestoredTextIsKeptAsThisRunsAndADroppedOneGoes) {
    for (const bool restore : {true, false}) {
        RecoveryFolder(dir.path()).keepNow(QStringLiteral("testo"));
        RecoveryFolder next(dir.path());
        ASSERT_TRUE(take(next));
        if (restore) {
            next.restoreLeftText();
            EXPECT_EQ(contentOf(next.keptPath()), QStringLiteral("testo"));
            next.discard();
        } else {
            next.dropLeftText();
        }
        EXPECT_EQ(files(), QStringList()) << "restore " << restore;
    }
}

TEST_F(RecoveryFolderTest, TheFolderAndItsFilesAreTheUsersAloneWhateverTheUmask) {
    const QString folder = dir.filePath(QStringLiteral("recupero"));
    const mode_t umask = ::umask(0);
    auto ended = std::make_unique<RecoveryFolder>(folder);
    ended->keepNow(QStringLiteral("testo"));
    const QString name = QFileInfo(ended->keptPath()).completeBaseName();
    EXPECT_EQ(modes(folder), (QStringList{" 700", name + ".lock 600", name + ".txt 600"}));

    // Left readable by all, as an earlier version made them: tightened at the first use.
    ended.reset();
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    ::chmod(QFile::encodeName(folder + "/" + name + ".txt").constData(), 0644);
    RecoveryFolder next(folder);
    EXPECT_TRUE(take(next));
    EXPECT_EQ(modes(folder), (QStringList{" 700", name + ".lock 600", name + ".offered 600"}));
    ::umask(umask);
}

TEST_F(RecoveryFolderTest, ALinkOrAFileOfAnotherUserIsNeitherOfferedNorWrittenThrough) {
    // A file of the user's elsewhere, and a link to it planted in the folder as a left text.
    const QTemporaryDir elsewhere;
    const QString secret = elsewhere.filePath(QStringLiteral("segreto"));
    writeFile(secret, "segreto");
    const QString link = dir.filePath(QStringLiteral("1-1-0.txt"));
    ASSERT_TRUE(QFile::link(secret, link));
    QStringList planted{QStringLiteral("1-1-0.txt")};
    if (::geteuid() == 0) {
        writeFile(dir.filePath(QStringLiteral("2-2-0.txt")), "di un altro");
        ASSERT_EQ(
            ::chown(QFile::encodeName(dir.filePath(QStringLiteral("2-2-0.txt"))), 65534, 65534), 0);
        planted << QStringLiteral("2-2-0.txt");
    }
    RecoveryFolder next(dir.path());
    EXPECT_EQ(take(next), std::nullopt);
    EXPECT_EQ(files(), planted) << "left alone";
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    // A link in place of this run's file: the text is not written through it.
    next.keepNow(QStringLiteral("testo"));
    ASSERT_TRUE(QFile::remove(next.keptPath()) && QFile::link(secret, next.keptPath()));
    EXPECT_THROW(next.keepNow(QStringLiteral("modificato")), VelcaroError);
    EXPECT_EQ(contentOf(secret), QStringLiteral("segreto"));
}

TEST_F(RecoveryFolderTest, ATextLongerThanTheBoundIsNotReadAndStaysOnDiskNeverOfferedAgain) {
    RecoveryFolder(dir.path()).keepNow(QStringLiteral("città e caffè"));
    RecoveryFolder next(dir.path());
    const std::optional<LeftText> left = next.takeLeftText(14);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->text, QString());
    EXPECT_EQ(left->tooLongBytes, 15);
    EXPECT_TRUE(left->tooLongPath.endsWith(QStringLiteral(".troppo-lungo.txt")));
    EXPECT_EQ(contentOf(left->tooLongPath), QStringLiteral("città e caffè"));
    RecoveryFolder later(dir.path());
    EXPECT_EQ(take(later), std::nullopt);
    EXPECT_EQ(files(), QStringList{QFileInfo(left->tooLongPath).fileName()});
}

TEST_F(RecoveryFolderTest, TheKeptTextIsWrittenInTheBackgroundWhileTheEventLoopGoesOn) {
    // The first write waits until the test lets it go.
    QSemaphore writing, release;
    std::atomic<bool> first{true};
    Qt::HANDLE firstWriter = nullptr;
    QStringList written;
    RecoveryFolder folder(dir.path(), [&](const QString& path, const QByteArray& bytes) {
        if (first.exchange(false)) {
            firstWriter = QThread::currentThreadId();
            writing.release();
            release.acquire();
        }
        written << QString::fromUtf8(bytes);
        writeFileAtomically(path, bytes);
    });
    folder.keep(QStringLiteral("primo"));
    writing.acquire();
    bool loopRan = false;
    QTimer::singleShot(0, [&loopRan] { loopRan = true; });
    QCoreApplication::processEvents();
    EXPECT_TRUE(loopRan) << "the write does not hold the caller";
    EXPECT_NE(firstWriter, QThread::currentThreadId());
    folder.keep(QStringLiteral("secondo"));
    folder.keep(QStringLiteral("terzo"));
    release.release();
    folder.keepNow(QStringLiteral("ultimo"));
    EXPECT_EQ(written.first(), QStringLiteral("primo"));
    EXPECT_FALSE(written.contains(QStringLiteral("secondo"))) << "replaced while it waited";
    EXPECT_EQ(written.last(), QStringLiteral("ultimo"));
    EXPECT_EQ(contentOf(folder.keptPath()), QStringLiteral("ultimo"));
}

TEST_F(RecoveryFolderTest, ALargeTextIsWrittenWholeAndReadBackAsItWas) {
    // Lines of 17 bytes: the ends of the slices it is read in fall inside characters too.
    const QString text = QChar(0xFEFF) + QStringLiteral("riga di testo à\n").repeated(2 << 20);
    {
        RecoveryFolder folder(dir.path());
        folder.keep(text);
        // The file appears whole or not at all.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.keptPath()), 60000);
    }
    RecoveryFolder next(dir.path());
    EXPECT_TRUE(take(next) == text);

    writeFile(dir.filePath(QStringLiteral("1-1-0.txt")), "caff\xC3\xA8 e citt\xC3");
    EXPECT_EQ(take(next), QStringLiteral("caffè e citt\uFFFD")) << "a text cut short";
}

} // namespace
