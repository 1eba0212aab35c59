#include "platform/recovery_folder.h"

#include "platform/atomic_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velcaro {
namespace {

const QString kTextSuffix = QStringLiteral(".txt");
const QString kLockSuffix = QStringLiteral(".lock");
// A text offered and not answered (its run ended meanwhile) is offered again at the next
// start, up to this many times in all: a start that always ends while asking must not keep
// asking.
constexpr int kMaxOffers = 3;

// The suffix of a text offered `times` times: "offered", then "offered-2", "offered-3".
QString offeredSuffix(int times) {
    return times == 1 ? QStringLiteral("offered") : QStringLiteral("offered-%1").arg(times);
}

// How many times the text of a file with this suffix was offered: 0 for a kept text; -1 for
// a file that is no text.
int timesOffered(const QString& suffix) {
    if (suffix == QLatin1String("txt"))
        return 0;
    for (int times = 1; times <= kMaxOffers; ++times)
        if (suffix == offeredSuffix(times))
            return times;
    return -1;
}

// Unique among the runs and within one: the start time, the process and how many folders
// the process opened before (two in one millisecond would otherwise share a name).
QString runName() {
    static std::atomic<int> opened{0};
    return QStringLiteral("%1-%2-%3")
        .arg(QDateTime::currentMSecsSinceEpoch())
        .arg(QCoreApplication::applicationPid())
        .arg(opened++);
}

// A lock that only a run that is still going holds: an old lock is not taken for a stale one.
std::unique_ptr<QLockFile> lockFile(const QString& path) {
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    return lock;
}

// Opens `path` for reading when it is a regular file of this user, without following a link.
bool openOwnFile(const QString& path, QFile& file) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid() ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

// Makes `path` the user's alone (0600), whatever the umask made it, when it is a regular file
// of this user; a link is not followed.
void makePrivate(const QString& path) {
    QFile file;
    if (openOwnFile(path, file))
        ::fchmod(file.handle(), S_IRUSR | S_IWUSR);
}

// The folder and its files the user's alone, 0700 and 0600: an earlier version made them
// readable by all.
void tighten(const QString& folder) {
    ::chmod(QFile::encodeName(folder).constData(), S_IRWXU);
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        makePrivate(dir.filePath(name));
}

// Takes `lock` when no running program holds it, its file made the user's alone.
bool tryLock(QLockFile& lock) {
    const bool taken = lock.tryLock(0);
    makePrivate(lock.fileName());
    return taken;
}

} // namespace

RecoveryFolder::RecoveryFolder(const QString& folder, BackgroundWriter::Write write)
    : folder_(folder), name_(runName()), writer_(QDir(folder).filePath(name_ + kTextSuffix),
                                                 write ? std::move(write) : writePrivateFile) {}

RecoveryFolder::~RecoveryFolder() = default;

void RecoveryFolder::lock() {
    if (lock_)
        return;
    QDir().mkpath(folder_);
    tighten(folder_);
    lock_ = lockFile(QDir(folder_).filePath(name_ + kLockSuffix));
    tryLock(*lock_);
}

// The newest left text first; the others wait for the next starts.
std::optional<QString> RecoveryFolder::takeLeftText() {
    const QDir dir(folder_);
    if (!dir.exists())
        return std::nullopt;
    tighten(folder_);
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*") + kTextSuffix, QStringLiteral("*.offered*")},
                          QDir::Files | QDir::NoSymLinks, QDir::Time);
    for (const QFileInfo& text : files) {
        const int offers = timesOffered(text.suffix());
        const QString name = text.completeBaseName();
        if (offers < 0 || offers >= kMaxOffers || name == name_)
            continue;
        auto owner = lockFile(dir.filePath(name + kLockSuffix));
        QFile file;
        if (!tryLock(*owner) || !openOwnFile(text.filePath(), file))
            continue;
        // rename does not replace: a text whose next name is taken waits for a later start.
        const QString offered = dir.filePath(name + u'.' + offeredSuffix(offers + 1));
        if (!QFile::rename(text.filePath(), offered))
            continue;
        offered_ = offered;
        // Held until the user has answered, so that no other start offers the text meanwhile.
        offeredLock_ = std::move(owner);
        return QString::fromUtf8(file.readAll());
    }
    return std::nullopt;
}

void RecoveryFolder::restoreLeftText() {
    if (offered_.isEmpty())
        return;
    lock();
    QFile::remove(keptPath());
    QFile::rename(offered_, keptPath());
    offered_.clear();
    offeredLock_.reset();
}

void RecoveryFolder::dropLeftText() {
    if (offered_.isEmpty())
        return;
    QFile::remove(offered_);
    offered_.clear();
    offeredLock_.reset();
}

void RecoveryFolder::keep(const QString& text) {
    lock();
    writer_.write(text);
}

void RecoveryFolder::keepNow(const QString& text) {
    lock();
    writer_.writeNow(text);
}

void RecoveryFolder::discard() {
    writer_.remove();
    lock_.reset();
}

} // namespace velcaro
