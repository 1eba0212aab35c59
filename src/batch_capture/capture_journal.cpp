#include "batch_capture/capture_journal.h"

#include "platform/save_failure.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace velcaro {
namespace {

// How every line the journal writes begins: the keys are written in alphabetical order.
const QByteArray kRecordStart = QByteArrayLiteral("{\"address\":");

const QString kOk = QStringLiteral("ok");
const QString kFailed = QStringLiteral("failed");

// A line cut short while it was written is a beginning of a record.
bool isRecordStart(const QByteArray& line) {
    return line.startsWith(kRecordStart) || kRecordStart.startsWith(line);
}

// The address and outcome of a whole record.
bool readRecord(const QByteArray& line, JournalEntry* entry) {
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    const QJsonValue address = object.value(QStringLiteral("address"));
    const QString outcome = object.value(QStringLiteral("outcome")).toString();
    if (!address.isString() || (outcome != kOk && outcome != kFailed))
        return false;
    entry->address = address.toString();
    entry->outcome = outcome == kOk ? JournalEntry::Outcome::Ok : JournalEntry::Outcome::Failed;
    return true;
}

bool readAll(int fd, QByteArray* bytes) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes->append(buffer, n);
    }
}

} // namespace

CaptureJournal::~CaptureJournal() {
    close();
}

bool CaptureJournal::open(const QString& path, QString* problem) {
    close();
    path_ = path;
    fd_ =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    QByteArray content;
    if (fd_ < 0 || !readAll(fd_, &content)) {
        const int osError = errno;
        close();
        *problem = saveFailure(path, osError).description();
        return false;
    }
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        JournalEntry entry;
        if (readRecord(lines[i], &entry)) {
            remember(entry);
        } else if (!isRecordStart(lines[i])) {
            close();
            *problem = QStringLiteral("%1 non è un registro di cattura: la riga %2 non è un record")
                           .arg(QDir::toNativeSeparators(path))
                           .arg(i + 1);
            return false;
        }
    }
    openLine_ = !content.isEmpty() && !content.endsWith('\n');
    return true;
}

bool CaptureJournal::record(const JournalEntry& entry, QString* problem) {
    remember(entry);
    QByteArray bytes = line(entry) + '\n';
    if (openLine_)
        bytes.prepend('\n');
    int failure = fd_ < 0 ? EBADF : writeAll(fd_, bytes);
    if (failure == 0 && ::fdatasync(fd_) != 0)
        failure = errno;
    if (failure != 0) {
        *problem = saveFailure(path_, failure).description();
        openLine_ = true;
        return false;
    }
    openLine_ = false;
    return true;
}

QByteArray CaptureJournal::line(const JournalEntry& entry) {
    const bool ok = entry.outcome == JournalEntry::Outcome::Ok;
    const QDateTime time = entry.time.isValid() ? entry.time : QDateTime::currentDateTimeUtc();
    QJsonObject object{{QStringLiteral("address"), entry.address},
                       {QStringLiteral("outcome"), ok ? kOk : kFailed},
                       {QStringLiteral("output"), entry.output},
                       {QStringLiteral("ms"), entry.ms},
                       {QStringLiteral("time"), time.toUTC().toString(Qt::ISODateWithMs)}};
    if (!ok)
        object.insert(QStringLiteral("reason"), entry.reason);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void CaptureJournal::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    done_.clear();
}

void CaptureJournal::remember(const JournalEntry& entry) {
    if (entry.outcome == JournalEntry::Outcome::Ok)
        done_.insert(entry.address);
    else
        done_.remove(entry.address);
}

} // namespace velcaro
