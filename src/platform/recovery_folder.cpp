#include "platform/recovery_folder.h"

#include "platform/atomic_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velcaro {
namespace {

const QString kTextSuffix = QStringLiteral(".txt");
const QString kLockSuffix = QStringLiteral(".lock");
// A text too long to offer: kept under this name, which is not offered, for the user to open
// with another program.
const QString kTooLongSuffix = QStringLiteral(".troppo-lungo.txt");
// A left text is read this many bytes at a time.
constexpr qint64 kSliceBytes = 1 << 20;
// A text offered and not answered (its run ended meanwhile) is offered again at the next
// start, up to this many times in all: a start that always ends while asking must not keep
// asking.
constexpr int kMaxOffers = 3;

// The suffix of a text offered `times` times: "offered", then "offered-2", "offered-3".
QString offeredSuffix(int times) {
    return times == 1 ? QStringLiteral("offered") : QStringLiteral("offered-%1").arg(times);
}

// How many times the text of a file with this suffix (all after the name's first dot) was
// offered: 0 for a kept text; -1 for a file that is no text, or a text set aside.
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

// How many bytes at the end of `bytes` begin a character that they do not finish.
qsizetype unfinished(QByteArrayView bytes) {
    for (qsizetype back = 1; back <= std::min<qsizetype>(3, bytes.size()); ++back) {
        const auto byte = static_cast<uchar>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

// The file's UTF-8 as text, decoded a slice at a time straight into the text's own storage, so
// that the whole is never held twice. Every character is kept, a leading byte-order mark too;
// bytes that are no UTF-8 become replacement characters.
QString readText(QFile& file) {
    // A byte of UTF-8 never gives more than one UTF-16 unit.
    QString text(file.size(), Qt::Uninitialized);
    QChar* end = text.data();
    // Each slice is decoded whole, so a character its end cuts waits for the next slice.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    QByteArray slice;
    for (qint64 left = file.size(); left > 0;) {
        const QByteArray more = file.read(std::min(left, kSliceBytes));
        if (more.isEmpty())
            break;
        left -= more.size();
        slice += more;
        const qsizetype whole = slice.size() - unfinished(slice);
        end = decoder.appendToBuffer(end, QByteArrayView(slice).first(whole));
        slice.remove(0, whole);
    }
    // A character the file cuts short.
    end = decoder.appendToBuffer(end, slice);
    text.truncate(end - text.constData());
    return text;
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
std::optional<LeftText> RecoveryFolder::takeLeftText(qint64 maxBytes) {
    const QDir dir(folder_);
    if (!dir.exists())
        return std::nullopt;
    tighten(folder_);
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*") + kTextSuffix, QStringLiteral("*.offered*")},
                          QDir::Files | QDir::NoSymLinks, QDir::Time);
    for (const QFileInfo& text : files) {
        const int offers = timesOffered(text.completeSuffix());
        const QString name = text.baseName();
        if (offers < 0 || offers >= kMaxOffers || name == name_)
            continue;
        auto owner = lockFile(dir.filePath(name + kLockSuffix));
        QFile file;
        if (!tryLock(*owner) || !openOwnFile(text.filePath(), file))
            continue;
        // rename does not replace: a text whose next name is taken waits for a later start.
        if (file.size() > maxBytes) {
            const QString aside = dir.filePath(name + kTooLongSuffix);
            if (!QFile::rename(text.filePath(), aside))
                continue;
            return LeftText{QString(), aside, file.size()};
        }
        const QString offered = dir.filePath(name + u'.' + offeredSuffix(offers + 1));
        if (!QFile::rename(text.filePath(), offered))
            continue;
        offered_ = offered;
        // Held until the user has answered, so that no other start offers the text meanwhile.
        offeredLock_ = std::move(owner);
        return LeftText{readText(file)};
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
