#pragma once

#include "batch_capture/capture_options.h"
#include "batch_capture/capture_target.h"
#include "batch_capture/host_pacer.h"
#include "batch_capture/retry_policy.h"
#include "batch_capture/robots_rules.h"

#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace velcaro {

class CapturePage;
class CapturePlatform;
struct FetchRequest;
class CaptureJournal;
class SitemapCrawl;
class OutputPlan;
class RecordFile;
struct PageFacts;

// `velcaro --capture`: the text of each page, taken as "Copia testo Pag.Html" takes it and
// written as "Salva Testo .TXT" writes it (or as the RTF or the Markdown made from the copied
// HTML, or as one JSON record a page), for one page or thousands. Several pages load at once; the
// copies, which share the clipboard, are made one at a time. One line per page goes to standard
// error as it ends.
//
// A page object (a browser area) that captured its page takes the next address, up to
// kLoadsPerPage times, so the area is not built again for every page; each address still
// starts in a new engine page of its own, which nothing of the addresses before reaches. One
// whose page failed is released at once.
class BatchCapture {
public:
    BatchCapture(CapturePlatform& platform, CaptureOptions options);
    ~BatchCapture();

    // Checks the addresses and the output, then starts loading; with --sitemap, fetches the
    // sitemaps first. The run ends through the
    // platform's finish(), with kAllCaptured, kSomeFailed or kBadUsage (or stop()'s code);
    // when nothing can start
    // (bad usage, an output that cannot be written) it ends before any page is loaded.
    void start();

    // Stops the run (an interruption): no page starts any more, the pages in flight get
    // kStopGraceMs to end, then the run ends with `exitCode`; the pages not ended then are
    // left out of the journal, so a rerun takes them again. A second stop ends it at once.
    void stop(int exitCode);

    static constexpr int kStopGraceMs = 5000;
    static constexpr int kAllCaptured = 0;
    static constexpr int kSomeFailed = 1;
    static constexpr int kBadUsage = 2;
    static constexpr int kLoadsPerPage = 20;
    static constexpr int kMaxWaiting = 1000;
    static constexpr int kRobotsRecheckMs = 60 * 1000;

private:
    struct Page;
    // A page object between two loads, with the loads it has made.
    struct IdlePage {
        std::unique_ptr<CapturePage> page;
        int loads = 0;
    };

    // Fetches the sitemaps one at a time, then starts on the pages they name.
    void fetchNextSitemap();
    // The engine's user agent, asked of a page object the first time (the object is then kept
    // for a page): robots.txt and the sitemaps are fetched with it.
    const QString& userAgent();
    // A fetch of `url` with the engine's agent, bounded as a page's load is (--timeout).
    FetchRequest fetchRequest(const QUrl& url, qint64 maxBytes);
    void startPages();
    void advance();
    enum class Robots { Allowed, Wait, Refused };
    // With --robots: whether the site's robots.txt lets the page at `index` load; it is
    // fetched, and the page waits, the first time a page of the site comes, and again for a
    // page that comes kRobotsRecheckMs after it could not be reached.
    Robots robots(int index);
    // What becomes of the page at `index` now: it starts (Allowed), its site's robots.txt
    // forbids it (Refused), or it waits for that robots.txt or for its host (Wait), and then
    // `wakeMs` comes down to when it may start.
    Robots turnOf(int index, qint64 nowMs, qint64* wakeMs);
    // Starts the page at `index`, or fails it when its turn is Refused.
    void start(int index, Robots turn, qint64 nowMs);
    void open(int index);
    void loaded(int index, const QString& failure);
    void pump();
    void capture(Page& page);
    QByteArray content(Page& page, QString* failure);
    // `recordEnd`: the records file's size with the page's record in it, or 0.
    void succeed(int index, qsizetype bytes, qint64 recordEnd = 0);
    // Writes the page's record: returns the records file's size with it, 0 for standard
    // output, or -1 when it could not be written and the run is ending (outputLost).
    qint64 writeRecord(int index, const PageFacts& facts, const QByteArray* text,
                       const QString& error, qint64 ms);
    void outputLost(const QString& reason);
    // Writes what became of the page at `index` in the journal, when there is one.
    void journal(int index, const QString& reason, qint64 ms, qint64 recordEnd);
    // Where the page at `index` is written: its file, the records file, or an empty text for
    // standard output.
    QString outputOf(int index) const;
    // The page's address as the report lines show it.
    QString shownAddress(int index) const;
    void fail(int index, const QString& reason);
    // Whether the page at `index`, which failed with `reason`, is to be tried again; if so it
    // is released and comes back to the queue after the policy's wait (for a busy server, once
    // it said how long it wants).
    bool retryLater(int index, const QString& reason);
    // Reports the wait before the next try of the page at `index` and queues it again after it.
    void retryAfterWait(int index, const PageFailure& failure);
    // Why a page whose time was up before its load ended was not taken, or how it was.
    QString lateLoad() const;
    // "N tentativi", for a page that was tried more than once.
    QString triesNote(int index) const;
    // `ended`: the page is done with, not waiting for another try.
    void release(int index, bool ended = true);
    void schedulePump();
    void showStatus();
    void finishIfDone();
    void end(int exitCode);

    CapturePlatform& platform_;
    CaptureOptions options_;
    std::vector<CaptureTarget> targets_;
    std::unique_ptr<OutputPlan> plan_;
    // The file of the records, when they do not go to standard output.
    std::unique_ptr<RecordFile> records_;
    std::unique_ptr<CaptureJournal> journal_;
    std::unique_ptr<SitemapCrawl> sitemaps_;
    // Addresses the journal says were captured before, not loaded again.
    int skipped_ = 0;
    // Addresses captured by this run.
    int captured_ = 0;
    std::map<int, std::unique_ptr<Page>> running_;
    std::vector<std::unique_ptr<Page>> released_;
    std::vector<IdlePage> idle_;
    std::deque<int> ready_;
    // Pages checked and ready to load that wait for their host (see HostPacer), and pages to
    // be tried again, first; at most kMaxWaiting, so that the next addresses are read only
    // while there is room.
    std::list<int> waiting_;
    HostPacer pacer_;
    // The robots.txt of a site (scheme, host and port): its rules, none while fetched, and
    // when they came.
    struct SiteRobots {
        std::optional<RobotsRules> rules;
        qint64 atMs = 0;
    };
    std::map<QString, SiteRobots> robots_;
    // Pages their robots.txt allowed, until they start: a page that waits for its host is
    // asked its turn again and again, and its robots.txt is read once.
    std::set<int> robotsAllowed_;
    QString userAgent_;
    QTimer pacingTimer_;
    // Tries made of each page tried more than once so far.
    std::map<int, int> tries_;
    RetryPolicy retryPolicy_;
    QStringList failures_;
    QElapsedTimer clock_;
    QTimer pumpTimer_;
    QTimer stopTimer_;
    // The exit code of a stopped run, or -1.
    int stopCode_ = -1;
    int next_ = 0;
    int done_ = 0;
    // The page being copied, or -1.
    int capturingIndex_ = -1;
    bool ended_ = false;
};

} // namespace velcaro
