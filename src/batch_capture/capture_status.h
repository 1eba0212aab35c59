#pragma once

#include "batch_capture/crawl_frontier.h"
#include "batch_capture/page_outcome.h"

#include <QString>
#include <QStringList>

namespace velcaro {

class Console;

// What a capture says on standard error: one line per page as it ends ("[12/340] ok 0.8 s
// 45.2 KB address", "[13/340] FAILED: reason address"), the waits before another try, a status
// line where standard error is a terminal, and the summary. Addresses are shown with their
// control characters escaped; the counts are kept here.
class CaptureStatus {
public:
    CaptureStatus(Console& console, int timeoutSeconds);

    // The number of addresses the run takes, once known.
    void setTotal(int total) { total_ = total; }
    void captured(int index, const QString& address, qsizetype bytes, const PageOutcome& outcome);
    void failed(int index, const QString& address, const PageOutcome& outcome);
    // A crawl's page whose text is that of the page `original`, taken before.
    void duplicate(int index, const QString& address, const QString& original,
                   const PageOutcome& outcome);
    // What a crawl left out, after the summary: links not followed, traps stopped, pages left
    // for --max-pages, duplicates.
    void crawled(const CrawlFrontier::Counts& counts, const CrawlOptions& options);
    // The journal had the page as taken.
    void skipped();
    void retrying(int index, const QString& address, const PageOutcome& outcome, int waitMs);
    void progress(int running);
    void stopping(int running, int graceMs);
    void abandoned(int running);
    // The closing lines: the pages taken, skipped and failed (with the failed ones named).
    void summary(qint64 elapsedMs);
    void interrupted();

    int ended() const { return ended_; }
    bool anyFailed() const { return !failures_.isEmpty(); }

private:
    QString prefix(int index) const;

    Console& console_;
    int timeoutSeconds_;
    int total_ = 0;
    // Pages done with: taken, failed or skipped.
    int ended_ = 0;
    int captured_ = 0;
    int skipped_ = 0;
    QStringList failures_;
};

} // namespace velcaro
