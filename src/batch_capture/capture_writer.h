#pragma once

#include "batch_capture/capture_options.h"
#include "batch_capture/page_outcome.h"
#include "batch_capture/page_record.h"
#include "platform/capture_engine.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace velcaro {

class CapturePlan;
class Console;
class RecordFile;

// Writes what a capture takes: each page's content in the run's format to its file, to
// standard output or as its record, then its line in the journal; a failed page's record and
// line. A page's file or record is on the disk before the journal calls it done.
class CaptureWriter {
public:
    CaptureWriter(const CaptureOptions& options, CapturePlan& plan, Console& console);
    ~CaptureWriter();

    // Opens the records file when the records go to one; false with why, in Italian.
    bool open(QString* problem);

    // The page's content in the run's format, made from its copy: empty when the copy has
    // nothing for it (no HTML for an RTF or a Markdown file).
    QByteArray content(int index, const PageCopy& copy) const;

    enum class Result { Written, PageFailed, OutputLost };
    // Writes the page taken and journals it. PageFailed: its own file could not be written
    // (the page fails, the run goes on); OutputLost: the records or the journal cannot be
    // written any more (the run ends). `problem` says why. A crawl's page comes with what the
    // crawl adds (`crawled`): a duplicate has its record, no file.
    Result captured(int index, const PageCopy& copy, const QByteArray& content,
                    const PageOutcome& outcome, QString* problem,
                    const CrawledPage* crawled = nullptr);
    // Writes the failed page's record and journal line, `copy` giving what is known of the
    // page (its address, title, language); false when the output is lost.
    bool failed(int index, const PageCopy& copy, const PageOutcome& outcome, QString* problem,
                const CrawledPage* crawled = nullptr);

private:
    // The page's record, appended; the records file's size with it, 0 for standard output, -1
    // when it could not be written.
    qint64 writeRecord(int index, const PageCopy& copy, const QString& text,
                       const PageOutcome& outcome, const CrawledPage* crawled, QString* problem);
    bool journal(int index, const PageOutcome& outcome, qint64 recordEnd,
                 const CrawledPage* crawled, QString* problem);

    const CaptureOptions& options_;
    CapturePlan& plan_;
    Console& console_;
    std::unique_ptr<RecordFile> records_;
};

} // namespace velcaro
