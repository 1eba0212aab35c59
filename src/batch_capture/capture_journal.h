#pragma once

#include <QByteArrayList>
#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <functional>

namespace velcaro {

// What a journal was written for: the pages of one kind of run, in one format, to one place.
struct JournalPurpose {
    // "txt", "rtf", "md" or "jsonl".
    QString format;
    // The absolute path of the output file or folder; empty for standard output.
    QString output;
    bool mainText = false;
    // For a site crawl: where it starts and what it follows, as one compact JSON text; empty
    // for a list of addresses.
    QString crawl;

    bool operator==(const JournalPurpose& other) const {
        return format == other.format && output == other.output && mainText == other.mainText &&
               crawl == other.crawl;
    }
};

// What became of one address of a capture.
struct JournalEntry {
    enum class Outcome { Ok, Failed };

    // The key: the address exactly as given.
    QString address;
    Outcome outcome = Outcome::Ok;
    // The file written (the page's file, or the records file); empty for standard output or
    // when nothing was written.
    QString output;
    // For a record in a records file: the file's size once the record was in it; else 0.
    qint64 end = 0;
    // Why the page failed, in Italian; empty on success.
    QString reason;
    qint64 ms = 0;
    // When the page ended, in UTC.
    QDateTime time;
    // A crawl's page: the hash of its text; and the page it duplicates, whose text it has
    // (nothing of it was written then, and it is done as it is).
    QString textHash;
    QString duplicateOf;
};

// The journal of a capture (`--journal FILE`), from which a later run resumes: one JSON
// object per line, one line per finished address, appended and synced to the disk as each
// page ends, after a first line that says what the journal is for (JournalPurpose). The last
// line of an address says what became of it. A line cut short by a run that was killed while
// writing it is ignored, and the next record starts on a line of its own. A run holds the
// journal locked: a second run on it is refused while the first goes on.
class CaptureJournal {
public:
    CaptureJournal() = default;
    CaptureJournal(const CaptureJournal&) = delete;
    CaptureJournal& operator=(const CaptureJournal&) = delete;
    ~CaptureJournal();

    enum class Opening { Opened, ForAnotherRun, Failed };

    // Reads the journal at `path`, created when missing, locks it and keeps it open for
    // appending. A file with a line that is neither a record nor the beginning of one is not
    // a journal, and a journal written for another purpose belongs to another run: both are
    // refused and left as they are, as is a symbolic link, anything but a plain file, and a
    // journal another run holds. `problem` says why in Italian. A journal of an earlier
    // version, without its first line, is read as one for `purpose`.
    Opening open(const QString& path, const JournalPurpose& purpose, QString* problem);

    // Given every line read by open() that names an address (a record, or a line of a
    // crawl's own), in order; set before open().
    void setReader(std::function<void(const QJsonObject& line)> reader) {
        reader_ = std::move(reader);
    }
    // Appends `lines` (a crawl's own, each naming its "address" first) and syncs them.
    bool note(const QByteArrayList& lines, QString* problem);

    // The address's last outcome was Ok, written to `output` (empty for standard output), and
    // what was written is still there: the page's file, or the records file at least as long
    // as it was after the record.
    bool done(const QString& address, const QString& output) const;

    // Appends the entry and syncs it; `problem` says in Italian why it could not be written.
    bool record(const JournalEntry& entry, QString* problem);

    // The entry's line, without its newline. An entry without a time gets the current one.
    static QByteArray line(const JournalEntry& entry);

private:
    struct Done {
        QString output;
        qint64 end = 0;
        bool duplicate = false;
    };

    bool append(const QByteArray& line, QString* problem);
    // Closes the file and forgets what was read.
    void close();
    void remember(const JournalEntry& entry);
    // The size of the records file at `path`, read once a run; -1 when there is none.
    qint64 recordsSize(const QString& path) const;

    QString path_;
    int fd_ = -1;
    // The addresses whose last outcome is Ok, with where they were written.
    QHash<QString, Done> done_;
    // Every output path read, once: the records file is named on every line.
    QSet<QString> outputs_;
    mutable QHash<QString, qint64> recordsSizes_;
    // The file does not end with a newline: the last line was cut short.
    bool openLine_ = false;
    std::function<void(const QJsonObject&)> reader_;
};

} // namespace velcaro
