#include "batch_capture/capture_writer.h"

#include "batch_capture/capture_plan.h"
#include "batch_capture/page_formats.h"
#include "batch_capture/page_record.h"
#include "platform/atomic_file.h"
#include "platform/console.h"
#include "platform/record_file.h"
#include "platform/velcaro_error.h"

namespace velcaro {

CaptureWriter::CaptureWriter(const CaptureOptions& options, CapturePlan& plan, Console& console)
    : options_(options), plan_(plan), console_(console) {}

CaptureWriter::~CaptureWriter() = default;

bool CaptureWriter::open(QString* problem) {
    if (plan_.recordFile().isEmpty())
        return true;
    records_ = std::make_unique<RecordFile>();
    *problem = records_->open(plan_.recordFile());
    return problem->isEmpty();
}

QByteArray CaptureWriter::content(int index, const PageCopy& copy) const {
    switch (options_.format) {
    case CaptureOptions::Format::Rtf:
        return page_formats::rtf(copy.html);
    case CaptureOptions::Format::Markdown:
        return page_formats::markdown(copy.html, plan_.target(index).url);
    case CaptureOptions::Format::Text:
    case CaptureOptions::Format::Jsonl:
        break;
    }
    return page_formats::text(copy.text);
}

CaptureWriter::Result CaptureWriter::captured(int index, const PageCopy& copy,
                                              const QByteArray& content, const PageOutcome& outcome,
                                              QString* problem) {
    qint64 recordEnd = 0;
    if (options_.format == CaptureOptions::Format::Jsonl) {
        recordEnd = writeRecord(index, copy, QString::fromUtf8(content), outcome, problem);
        if (recordEnd < 0)
            return Result::OutputLost;
    } else {
        try {
            const QString& path = plan_.path(index);
            if (path.isEmpty())
                console_.output(content);
            else
                writeOwnFile(path, content, options_.force);
        } catch (const VelcaroError& e) {
            *problem = e.description();
            return Result::PageFailed;
        }
    }
    return journal(index, outcome, recordEnd, problem) ? Result::Written : Result::OutputLost;
}

bool CaptureWriter::failed(int index, const PageCopy& copy, const PageOutcome& outcome,
                           QString* problem) {
    qint64 recordEnd = 0;
    if (options_.format == CaptureOptions::Format::Jsonl) {
        recordEnd = writeRecord(index, copy, QString(), outcome, problem);
        if (recordEnd < 0)
            return false;
    }
    return journal(index, outcome, recordEnd, problem);
}

qint64 CaptureWriter::writeRecord(int index, const PageCopy& copy, const QString& text,
                                  const PageOutcome& outcome, QString* problem) {
    const CaptureTarget& target = plan_.target(index);
    PageRecord record;
    record.address = target.address;
    record.url = copy.url.isEmpty() ? target.url : copy.url;
    // A file has no HTTP status, whatever the engine says of its load.
    record.httpStatus = record.url.isLocalFile() ? 0 : outcome.httpStatus;
    record.title = copy.title;
    record.lang = copy.lang;
    record.text = text;
    record.error = failureText(outcome, options_.timeoutSeconds);
    record.ms = outcome.ms;
    record.index = options_.firstIndex + target.index;
    const QByteArray line = recordLine(record);
    try {
        if (records_)
            return records_->append(line);
        console_.output(line);
        return 0;
    } catch (const VelcaroError& e) {
        *problem = e.description();
        return -1;
    }
}

bool CaptureWriter::journal(int index, const PageOutcome& outcome, qint64 recordEnd,
                            QString* problem) {
    CaptureJournal* journal = plan_.journal();
    if (!journal)
        return true;
    const bool ok = outcome.error == PageError::None;
    JournalEntry entry;
    entry.address = plan_.target(index).address;
    entry.outcome = ok ? JournalEntry::Outcome::Ok : JournalEntry::Outcome::Failed;
    entry.output = ok ? plan_.outputOf(index) : QString();
    entry.end = ok ? recordEnd : 0;
    entry.reason = failureText(outcome, options_.timeoutSeconds);
    entry.ms = outcome.ms;
    return journal->record(entry, problem);
}

} // namespace velcaro
