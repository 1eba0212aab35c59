#include "platform/recovery_folder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>

namespace velcaro {
namespace {

const QString kTextSuffix = QStringLiteral(".txt");
const QString kLockSuffix = QStringLiteral(".lock");
const QString kOfferedSuffix = QStringLiteral(".offered");

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

} // namespace

RecoveryFolder::RecoveryFolder(const QString& folder, BackgroundWriter::Write write)
    : folder_(folder), name_(runName()),
      writer_(QDir(folder).filePath(name_ + kTextSuffix), std::move(write)) {}

RecoveryFolder::~RecoveryFolder() = default;

void RecoveryFolder::lock() {
    if (lock_)
        return;
    QDir().mkpath(folder_);
    lock_ = lockFile(QDir(folder_).filePath(name_ + kLockSuffix));
    lock_->tryLock(0);
}

// The newest left text first; the others wait for the next starts.
std::optional<QString> RecoveryFolder::takeLeftText() {
    const QDir dir(folder_);
    const QFileInfoList texts =
        dir.entryInfoList({QStringLiteral("*") + kTextSuffix}, QDir::Files, QDir::Time);
    for (const QFileInfo& text : texts) {
        const QString name = text.completeBaseName();
        if (name == name_)
            continue;
        const auto owner = lockFile(dir.filePath(name + kLockSuffix));
        if (!owner->tryLock(0))
            continue;
        const QString offered = dir.filePath(name + kOfferedSuffix);
        QFile::remove(offered);
        if (!QFile::rename(text.filePath(), offered))
            continue;
        QFile file(offered);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        offered_ = offered;
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
}

void RecoveryFolder::dropLeftText() {
    if (offered_.isEmpty())
        return;
    QFile::remove(offered_);
    offered_.clear();
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
