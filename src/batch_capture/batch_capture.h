#pragma once

#include "batch_capture/capture_options.h"
#include "batch_capture/page_outcome.h"
#include "platform/capture_engine.h"

#include <QElapsedTimer>
#include <QTimer>
#include <memory>

namespace velcaro {

class CapturePlan;
class CapturePlatform;
class CaptureRunner;
class CaptureStatus;
class CaptureWriter;
class SitemapCrawl;

// `velcaro --capture`: the text of each page, taken with the engine's own select-all and copy
// as "Copia testo Pag.Html" takes it and written as "Salva Testo .TXT" writes it (or as the RTF
// or the Markdown made from the copied HTML, or as one JSON record a page), for one page or
// thousands. A run is made of its plan (CapturePlan: the addresses, where each goes, what the
// journal has), its runner (CaptureRunner: the engine's sessions, pacing, robots.txt,
// retries), its writer (CaptureWriter) and its status lines (CaptureStatus); this class
// starts them and ends the run.
class BatchCapture {
public:
    BatchCapture(CapturePlatform& platform, CaptureOptions options);
    ~BatchCapture();

    // Starts the engine, fetches the sitemaps with --sitemap, checks the addresses and the
    // output, then starts loading. The run ends through the platform's finish(), with
    // kAllCaptured, kSomeFailed or kBadUsage (or stop()'s code); when nothing can start (bad
    // usage, an output that cannot be written) it ends before any page is loaded.
    void start();

    // Stops the run (an interruption): no page starts any more, the pages in flight get
    // kStopGraceMs to end, then the run ends with `exitCode`; the pages not ended then are
    // left out of the journal, so a rerun takes them again. A second stop ends it at once.
    void stop(int exitCode);

    static constexpr int kStopGraceMs = 5000;
    static constexpr int kAllCaptured = capture_exit::kAllCaptured;
    static constexpr int kSomeFailed = capture_exit::kSomeFailed;
    static constexpr int kBadUsage = capture_exit::kBadUsage;

private:
    void engineStarted(const QString& failure);
    // Fetches the sitemaps one at a time, then plans the pages they name.
    void fetchNextSitemap();
    // Plans the run over `addresses`; false when it has ended instead.
    bool plan(const QStringList& addresses);
    void run();
    // The next page to load; the pages before it that are skipped or refused end here.
    int next();
    // A crawl's sitemaps: each site's robots.txt, then the sitemaps it names (or the site's
    // /sitemap.xml), whose pages are seeds of the crawl.
    void fetchCrawlRobots(int site);
    void crawlSitemapsRead();
    // The frontier's news to the journal, before the page that brought them is called done;
    // false when the journal cannot be written (the run has ended).
    bool noteFrontier();
    bool captured(int index, const PageCopy& copy, const PageLinks& links,
                  const PageOutcome& outcome);
    void failed(int index, const PageCopy& known, const PageOutcome& outcome);
    // The records or the journal cannot be written any more (a closed pipe, a full disk): the
    // run ends, since every page after would be lost too.
    void outputLost(const QString& reason);
    void finishIfDone();
    void end(int exitCode);

    CapturePlatform& platform_;
    CaptureOptions options_;
    CaptureEngine& engine_;
    std::unique_ptr<SitemapCrawl> sitemaps_;
    std::unique_ptr<CapturePlan> plan_;
    std::unique_ptr<CaptureStatus> status_;
    std::unique_ptr<CaptureWriter> writer_;
    std::unique_ptr<CaptureRunner> runner_;
    QElapsedTimer clock_;
    QTimer stopTimer_;
    int next_ = 0;
    // A crawl's sites, for their robots.txt and sitemaps.
    QList<QUrl> crawlSites_;
    // The exit code of a stopped run, or -1.
    int stopCode_ = -1;
    bool ended_ = false;
};

} // namespace velcaro
