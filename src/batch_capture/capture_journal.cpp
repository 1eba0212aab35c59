#include "batch_capture/capture_journal.h"

#include "platform/save_failure.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velcaro {
namespace {

// How the lines the journal writes begin: the keys are written in alphabetical order.
const QByteArray kRecordStart = QByteArrayLiteral("{\"address\":");
const QByteArray kPurposeStart = QByteArrayLiteral("{\"format\":");
const QByteArray kCrawlPurposeStart = QByteArrayLiteral("{\"crawl\":");

const QString kOk = QStringLiteral("ok");
const QString kFailed = QStringLiteral("failed");
// The version of the first line's layout.
constexpr int kJournalVersion = 1;

// A line cut short while it was written is a beginning of a line.
bool isLineStart(const QByteArray& line) {
    for (const QByteArray& start : {kRecordStart, kPurposeStart, kCrawlPurposeStart})
        if (line.startsWith(start) || start.startsWith(line))
            return true;
    return false;
}

// The address, outcome and output of a whole record.
bool readRecord(const QJsonObject& object, JournalEntry* entry) {
    const QJsonValue address = object.value(QStringLiteral("address"));
    const QString outcome = object.value(QStringLiteral("outcome")).toString();
    if (!address.isString() || (outcome != kOk && outcome != kFailed))
        return false;
    entry->address = address.toString();
    entry->outcome = outcome == kOk ? JournalEntry::Outcome::Ok : JournalEntry::Outcome::Failed;
    entry->output = object.value(QStringLiteral("output")).toString();
    entry->end = object.value(QStringLiteral("end")).toInteger();
    entry->duplicateOf = object.value(QStringLiteral("duplicate_of")).toString();
    return true;
}

QJsonObject purposeObject(const JournalPurpose& purpose) {
    QJsonObject object{{QStringLiteral("format"), purpose.format},
                       {QStringLiteral("journal"), kJournalVersion},
                       {QStringLiteral("main"), purpose.mainText},
                       {QStringLiteral("output"), purpose.output}};
    if (!purpose.crawl.isEmpty())
        object.insert(QStringLiteral("crawl"), purpose.crawl);
    return object;
}

bool readPurpose(const QJsonObject& object, JournalPurpose* purpose) {
    if (!object.value(QStringLiteral("journal")).isDouble())
        return false;
    purpose->format = object.value(QStringLiteral("format")).toString();
    purpose->output = object.value(QStringLiteral("output")).toString();
    purpose->mainText = object.value(QStringLiteral("main")).toBool();
    purpose->crawl = object.value(QStringLiteral("crawl")).toString();
    return true;
}

QString described(const JournalPurpose& purpose) {
    return QStringLiteral("%1formato %2, %3, %4")
        .arg(purpose.crawl.isEmpty() ? QStringLiteral("elenco di indirizzi, ")
                                     : QStringLiteral("scansione %1, ").arg(purpose.crawl),
             purpose.format,
             purpose.output.isEmpty()
                 ? QStringLiteral("sull'uscita standard")
                 : QStringLiteral("in %1").arg(QDir::toNativeSeparators(purpose.output)),
             purpose.mainText ? QStringLiteral("testo principale")
                              : QStringLiteral("pagina intera"));
}

// Calls `take` with each line of the file, read a slice at a time; false when it could not be
// read. The last line, which may be cut short, is given without its newline, as is each line.
template <typename Take> bool forEachLine(int fd, Take take) {
    QByteArray pending;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        pending.append(buffer, n);
        qsizetype start = 0;
        for (qsizetype end; (end = pending.indexOf('\n', start)) >= 0; start = end + 1)
            if (!take(pending.mid(start, end - start), true))
                return true;
        pending.remove(0, start);
    }
    if (!pending.isEmpty())
        take(pending, false);
    return true;
}

} // namespace

CaptureJournal::~CaptureJournal() {
    close();
}

CaptureJournal::Opening CaptureJournal::open(const QString& path, const JournalPurpose& purpose,
                                             QString* problem) {
    close();
    path_ = path;
    const QString shown = QDir::toNativeSeparators(path);
    // Not through a link, and not waiting on a pipe: only a plain file is a journal.
    fd_ = ::open(QFile::encodeName(path).constData(),
                 O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        const int osError = errno;
        *problem = osError == ELOOP ? linkRefused(path).description()
                                    : saveFailure(path, osError).description();
        return Opening::Failed;
    }
    struct stat status {};
    if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
        close();
        *problem = QStringLiteral("il giornale %1 non è un file").arg(shown);
        return Opening::Failed;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int osError = errno;
        close();
        *problem = osError == EWOULDBLOCK
                       ? QStringLiteral("il giornale %1 è in uso da un'altra cattura in corso; "
                                        "riprovare quando sarà finita")
                             .arg(shown)
                       : saveFailure(path, osError).description();
        return Opening::Failed;
    }
    qsizetype number = 0;
    qsizetype lines = 0;
    qsizetype badLine = 0;
    std::optional<JournalPurpose> written;
    const bool read = forEachLine(fd_, [&](const QByteArray& line, bool whole) {
        ++number;
        openLine_ = !whole;
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        JournalEntry entry;
        JournalPurpose found;
        if (readRecord(object, &entry)) {
            remember(entry);
            if (reader_)
                reader_(object);
        } else if (reader_ && object.value(QStringLiteral("address")).isString()) {
            reader_(object);
        } else if (lines == 0 && readPurpose(object, &found)) {
            written = found;
        } else if (!isLineStart(line)) {
            badLine = number;
            return false;
        } else {
            return true;
        }
        ++lines;
        return true;
    });
    if (!read) {
        const int osError = errno;
        close();
        *problem = saveFailure(path, osError).description();
        return Opening::Failed;
    }
    if (badLine > 0) {
        close();
        *problem = QStringLiteral("%1 non è un giornale di cattura: la riga %2 non è un record")
                       .arg(shown)
                       .arg(badLine);
        return Opening::Failed;
    }
    if (written && !(*written == purpose)) {
        close();
        *problem = QStringLiteral("il giornale %1 è di un'altra cattura (%2, dove questa è %3): "
                                  "per questa usarne un altro")
                       .arg(shown, described(*written), described(purpose));
        return Opening::ForAnotherRun;
    }
    if (lines == 0 &&
        !append(QJsonDocument(purposeObject(purpose)).toJson(QJsonDocument::Compact), problem)) {
        close();
        return Opening::Failed;
    }
    return Opening::Opened;
}

bool CaptureJournal::done(const QString& address, const QString& output) const {
    const auto found = done_.constFind(address);
    if (found != done_.constEnd() && found->duplicate && found->end == 0)
        return true;
    if (found == done_.constEnd() || found->output != output)
        return false;
    if (output.isEmpty())
        return true;
    if (found->end > 0)
        return recordsSize(output) >= found->end;
    struct stat status {};
    return ::lstat(QFile::encodeName(output).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

qint64 CaptureJournal::recordsSize(const QString& path) const {
    const auto known = recordsSizes_.constFind(path);
    if (known != recordsSizes_.constEnd())
        return *known;
    struct stat status {};
    const qint64 size =
        ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode)
            ? status.st_size
            : -1;
    recordsSizes_.insert(path, size);
    return size;
}

bool CaptureJournal::record(const JournalEntry& entry, QString* problem) {
    remember(entry);
    if (entry.end > 0 && recordsSizes_.contains(entry.output))
        recordsSizes_[entry.output] = std::max(recordsSizes_[entry.output], entry.end);
    return append(line(entry), problem);
}

bool CaptureJournal::note(const QByteArrayList& lines, QString* problem) {
    if (lines.isEmpty())
        return true;
    return append(lines.join('\n'), problem);
}

bool CaptureJournal::append(const QByteArray& line, QString* problem) {
    QByteArray bytes = line + '\n';
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
    if (entry.end > 0)
        object.insert(QStringLiteral("end"), entry.end);
    if (!entry.textHash.isEmpty())
        object.insert(QStringLiteral("text"), entry.textHash);
    if (!entry.duplicateOf.isEmpty())
        object.insert(QStringLiteral("duplicate_of"), entry.duplicateOf);
    if (!ok)
        object.insert(QStringLiteral("reason"), entry.reason);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void CaptureJournal::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    done_.clear();
    outputs_.clear();
    recordsSizes_.clear();
    openLine_ = false;
}

void CaptureJournal::remember(const JournalEntry& entry) {
    if (entry.outcome == JournalEntry::Outcome::Ok)
        done_.insert(entry.address,
                     {*outputs_.insert(entry.output), entry.end, !entry.duplicateOf.isEmpty()});
    else
        done_.remove(entry.address);
}

} // namespace velcaro
