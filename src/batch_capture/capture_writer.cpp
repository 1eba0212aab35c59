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
    // A PDF document has text only: its paragraphs make the HTML of the formatted formats.
    QString html = copy.html;
    if (plan_.target(index).pdf && html.isEmpty())
        for (const QString& paragraph : copy.text.split(QStringLiteral("\n\n")))
            html += QStringLiteral("<p>%1</p>").arg(paragraph.toHtmlEscaped());
    switch (options_.format) {
    case CaptureOptions::Format::Rtf:
        return page_formats::rtf(html);
    case CaptureOptions::Format::Markdown:
        return page_formats::markdown(html, plan_.target(index).url);
    case CaptureOptions::Format::Text:
    case CaptureOptions::Format::Jsonl:
        break;
    }
    return page_formats::text(copy.text);
}

CaptureWriter::Result CaptureWriter::captured(int index, const PageCopy& copy,
                                              const QByteArray& content, const PageOutcome& outcome,
                                              QString* problem, const CrawledPage* crawled) {
    qint64 recordEnd = 0;
    const bool duplicate = crawled && !crawled->duplicateOf.isEmpty();
    if (options_.format == CaptureOptions::Format::Jsonl) {
        recordEnd = writeRecord(index, copy, duplicate ? QString() : QString::fromUtf8(content),
                                outcome, crawled, problem);
        if (recordEnd < 0)
            return Result::OutputLost;
    } else if (!duplicate) {
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
    return journal(index, outcome, recordEnd, crawled, problem) ? Result::Written
                                                                : Result::OutputLost;
}

bool CaptureWriter::failed(int index, const PageCopy& copy, const PageOutcome& outcome,
                           QString* problem, const CrawledPage* crawled) {
    qint64 recordEnd = 0;
    if (options_.format == CaptureOptions::Format::Jsonl) {
        recordEnd = writeRecord(index, copy, QString(), outcome, crawled, problem);
        if (recordEnd < 0)
            return false;
    }
    return journal(index, outcome, recordEnd, crawled, problem);
}

qint64 CaptureWriter::writeRecord(int index, const PageCopy& copy, const QString& text,
                                  const PageOutcome& outcome, const CrawledPage* crawled,
                                  QString* problem) {
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
    record.crawled = crawled;
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
                            const CrawledPage* crawled, QString* problem) {
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
    if (crawled && ok) {
        entry.textHash = crawled->textHash;
        entry.duplicateOf = crawled->duplicateOf;
        if (!crawled->duplicateOf.isEmpty() && recordEnd == 0)
            entry.output.clear();
    }
    return journal->record(entry, problem);
}

} // namespace velcaro
