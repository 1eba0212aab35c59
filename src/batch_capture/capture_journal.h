#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>

namespace velcaro {

// What became of one address of a capture.
struct JournalEntry {
    enum class Outcome { Ok, Failed };

    // The key: the address exactly as given.
    QString address;
    Outcome outcome = Outcome::Ok;
    // The file written; empty for standard output or when nothing was written.
    QString output;
    // Why the page failed, in Italian; empty on success.
    QString reason;
    qint64 ms = 0;
    // When the page ended, in UTC.
    QDateTime time;
};

// The journal of a capture (`--journal FILE`), from which a later run resumes: one JSON
// object per line, one line per finished address, appended and synced to the disk as each
// page ends. The last line of an address says what became of it. A line cut short by a run
// that was killed while writing it is ignored, and the next record starts on a line of its
// own.
class CaptureJournal {
public:
    CaptureJournal() = default;
    CaptureJournal(const CaptureJournal&) = delete;
    CaptureJournal& operator=(const CaptureJournal&) = delete;
    ~CaptureJournal();

    // Reads the journal at `path`, created when missing, and keeps it open for appending. A
    // file with a line that is neither a record nor the beginning of one is not a journal: it
    // is refused and left as it is. `problem` says why in Italian.
    bool open(const QString& path, QString* problem);

    // The address's last outcome was Ok.
    bool done(const QString& address) const { return done_.contains(address); }

    // Appends the entry and syncs it; `problem` says in Italian why it could not be written.
    bool record(const JournalEntry& entry, QString* problem);

    // The entry's line, without its newline. An entry without a time gets the current one.
    static QByteArray line(const JournalEntry& entry);

private:
    // Closes the file and forgets what was read.
    void close();
    void remember(const JournalEntry& entry);

    QString path_;
    int fd_ = -1;
    // The addresses whose last outcome is Ok.
    QSet<QString> done_;
    // The file does not end with a newline: the last line was cut short.
    bool openLine_ = false;
};

} // namespace velcaro
