#pragma once

#include "batch_capture/capture_options.h"
#include "batch_capture/host_pacer.h"
#include "batch_capture/page_outcome.h"
#include "batch_capture/retry_policy.h"
#include "batch_capture/robots_check.h"
#include "platform/capture_engine.h"

#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace velcaro {

class CapturePlan;
class CapturePlatform;

// Loads and copies the pages of a capture in the engine's sessions: at most `--jobs` at once,
// each site's pages as `--per-host` and `--delay` allow and as its robots.txt allows with
// `--robots`, a page waiting `--settle` after its load; a page that failed for a passing cause
// is tried again (`--retries`) after its wait. Each page ends as an outcome given to the
// run; the runner writes nothing and says nothing itself.
class CaptureRunner {
public:
    struct Events {
        // The next page to take, or -1 when there is none left.
        std::function<int()> next;
        // The page was copied (with its links, in a crawl); false when the copy holds nothing
        // for the run's format.
        std::function<bool(int index, const PageCopy& copy, const PageLinks& links,
                           const PageOutcome& outcome)>
            captured;
        // The page failed for good; `known` has what the page said of itself, if anything.
        std::function<void(int index, const PageCopy& known, const PageOutcome& outcome)> failed;
        // The page failed and is tried again after `waitMs`.
        std::function<void(int index, const PageOutcome& outcome, int waitMs)> retrying;
        // A page started or ended.
        std::function<void()> changed;
    };

    CaptureRunner(const CaptureOptions& options, CaptureEngine& engine, CapturePlatform& platform,
                  const CapturePlan& plan, Events events);
    ~CaptureRunner();

    void start();
    // No page starts any more; those running go on to their end.
    void stop();
    // There may be pages to take again after next() found none (a crawl's page found links).
    void more();

    int running() const { return static_cast<int>(running_.size()); }
    // Every page has ended: none runs, none waits, none is left to take.
    bool idle() const;

    // A PDF document larger than this is not taken.
    static constexpr qint64 kMaxPdfBytes = 64 * 1024 * 1024;

    // Pages checked and waiting for their host or their robots.txt, at most: the next
    // addresses are asked for only while there is room.
    static constexpr int kMaxWaiting = 1000;

private:
    struct Page;
    enum class Turn { Allowed, Wait, Refused };

    void advance();
    // What becomes of the page at `index` now; with Wait, `wakeMs` comes down to when it may
    // start, with Refused `refusal` says why.
    Turn turnOf(int index, qint64 nowMs, qint64* wakeMs, QString* refusal);
    // Its site's robots.txt does not let the page at `index` load.
    void refuse(int index, const QString& refusal);
    void begin(int index, qint64 nowMs);
    void loaded(int index, const LoadResult& result);
    void copy(Page& page, PageSession::Scope scope);
    void copied(int index, PageSession::Scope scope, const PageCopy& copy);
    // A crawl's page copied (or its HTTP error page, to judge it): its links are read, and a
    // wall is told from a page.
    void readLinks(int index, const PageCopy& copy, const PageOutcome& outcome);
    void taken(int index, const PageCopy& copy, const PageLinks& links, PageOutcome outcome);
    // A PDF document, fetched outside any page and read as its text.
    void fetchPdf(int index);
    void pdfFetched(int index, const QByteArray& body, int httpStatus, const QString& failure);
    void ended(int index, PageError error);
    // The page failed: tried again when the policy says so, else given up.
    void fail(Page& page, PageOutcome outcome, const PageCopy& known = {});
    void retryAfter(int index, const PageOutcome& outcome, const PageFailure& failure);
    PageOutcome outcomeOf(const Page& page) const;
    // The page leaves the running ones; its session is deleted from the event loop.
    void release(int index);
    void schedule();
    void pump();

    const CaptureOptions& options_;
    CaptureEngine& engine_;
    CapturePlatform& platform_;
    const CapturePlan& plan_;
    Events events_;
    HostPacer pacer_;
    RetryPolicy retryPolicy_;
    RobotsCheck robots_;
    std::map<int, std::unique_ptr<Page>> running_;
    std::vector<std::unique_ptr<Page>> released_;
    // Pages waiting for their host or robots.txt, and pages to be tried again, first.
    std::list<int> waiting_;
    // Pages whose robots.txt allowed them, not asked again while they wait for their host.
    std::set<int> robotsAllowed_;
    // Tries made of each page tried more than once so far.
    std::map<int, int> tries_;
    int retryWaits_ = 0;
    QElapsedTimer clock_;
    QTimer pumpTimer_;
    QTimer pacingTimer_;
    bool exhausted_ = false;
    bool stopped_ = false;
};

} // namespace velcaro
