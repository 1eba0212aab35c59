#include "batch_capture/batch_capture.h"

#include "batch_capture/capture_plan.h"
#include "batch_capture/capture_runner.h"
#include "batch_capture/capture_status.h"
#include "batch_capture/capture_writer.h"
#include "batch_capture/sitemap_crawl.h"
#include "batch_capture/sitemap_reader.h"
#include "platform/capture_platform.h"
#include "platform/console.h"
#include "platform/std_console.h"

namespace velcaro {

BatchCapture::BatchCapture(CapturePlatform& platform, CaptureOptions options)
    : platform_(platform), options_(std::move(options)), engine_(platform.engine()),
      status_(std::make_unique<CaptureStatus>(platform.console(), options_.timeoutSeconds)) {
    stopTimer_.setSingleShot(true);
    QObject::connect(&stopTimer_, &QTimer::timeout, [this] {
        if (ended_)
            return;
        status_->abandoned(runner_ ? runner_->running() : 0);
        end(stopCode_);
    });
}

BatchCapture::~BatchCapture() = default;

void BatchCapture::start() {
    clock_.start();
    // The addresses are checked first, so that a bad command line does not wait for the engine.
    if (!options_.sitemap && !plan(options_.addresses))
        return;
    engine_.start([this](const QString& failure) { engineStarted(failure); });
}

void BatchCapture::engineStarted(const QString& failure) {
    if (ended_)
        return;
    if (!failure.isEmpty()) {
        platform_.console().report(QStringLiteral("velcaro: ") + failure);
        end(kSomeFailed);
        return;
    }
    if (!engine_.note().isEmpty())
        platform_.console().report(engine_.note());
    if (options_.crawl.enabled && options_.crawl.followSitemaps) {
        sitemaps_ = std::make_unique<SitemapCrawl>();
        for (const QUrl& start : plan_->starts()) {
            if (start.scheme() != QLatin1String("http") && start.scheme() != QLatin1String("https"))
                continue;
            const QUrl site = start.adjusted(QUrl::RemovePath | QUrl::RemoveQuery |
                                             QUrl::RemoveFragment | QUrl::RemoveUserInfo);
            if (!crawlSites_.contains(site))
                crawlSites_ << site;
        }
        fetchCrawlRobots(0);
        return;
    }
    if (!options_.sitemap) {
        run();
        return;
    }
    sitemaps_ = std::make_unique<SitemapCrawl>();
    for (const QString& address : options_.addresses)
        sitemaps_->add(captureTarget(address, options_.workingFolder).url);
    fetchNextSitemap();
}

void BatchCapture::fetchNextSitemap() {
    const QUrl sitemap = sitemaps_->next();
    if (!sitemap.isEmpty()) {
        // One byte past the reader's bound, so that a longer file is told from one at it.
        const FetchRequest request{sitemap, engine_.userAgent(), options_.timeoutSeconds * 1000,
                                   SitemapReader::kMaxBytes + 1};
        platform_.fetch(request,
                        [this, sitemap](const QByteArray& body, int, const QString& failure) {
                            if (failure.isEmpty())
                                sitemaps_->read(sitemap, body);
                            else
                                sitemaps_->failed(sitemap, failure);
                            fetchNextSitemap();
                        });
        return;
    }
    if (options_.crawl.enabled) {
        crawlSitemapsRead();
        return;
    }
    // A problem names a sitemap an index gave: its address may hold any character.
    for (const QString& problem : sitemaps_->problems())
        platform_.console().report(
            QStringLiteral("velcaro: sitemap %1").arg(printableAddress(problem)));
    const qsizetype found = sitemaps_->pages().size();
    platform_.console().report(
        found == 1 ? QStringLiteral("velcaro: 1 pagina dalle sitemap.")
                   : QStringLiteral("velcaro: %1 pagine dalle sitemap.").arg(found));
    // Nothing to capture is not a bad command line: the sitemaps failed to give what was asked.
    if (found == 0) {
        end(kSomeFailed);
        return;
    }
    if (plan(sitemaps_->pages()))
        run();
}

bool BatchCapture::plan(const QStringList& addresses) {
    plan_ = std::make_unique<CapturePlan>(options_);
    int repeated = 0;
    QString problem;
    int exitCode = kSomeFailed;
    const bool made = plan_->make(addresses, &repeated, &problem, &exitCode);
    Console& console = platform_.console();
    if (repeated == 1)
        console.report(QStringLiteral("velcaro: 1 indirizzo ripetuto, preso una volta sola."));
    else if (repeated > 1)
        console.report(
            QStringLiteral("velcaro: %1 indirizzi ripetuti, presi una volta sola.").arg(repeated));
    if (!made) {
        console.report(QStringLiteral("velcaro: ") + problem);
        end(exitCode);
    }
    return made;
}

void BatchCapture::run() {
    writer_ = std::make_unique<CaptureWriter>(options_, *plan_, platform_.console());
    QString problem;
    if (!writer_->open(&problem)) {
        platform_.console().report(QStringLiteral("velcaro: ") + problem);
        end(kSomeFailed);
        return;
    }
    status_->setTotal(plan_->size());
    if (plan_->frontier() && !noteFrontier())
        return;
    CaptureRunner::Events events;
    events.next = [this] {
        return next();
    };
    events.captured = [this](int index, const PageCopy& copy, const PageLinks& links,
                             const PageOutcome& outcome) {
        return captured(index, copy, links, outcome);
    };
    events.failed = [this](int index, const PageCopy& known, const PageOutcome& outcome) {
        failed(index, known, outcome);
    };
    events.retrying = [this](int index, const PageOutcome& outcome, int waitMs) {
        status_->retrying(index, plan_->target(index).address, outcome, waitMs);
    };
    events.changed = [this] {
        finishIfDone();
    };
    runner_ =
        std::make_unique<CaptureRunner>(options_, engine_, platform_, *plan_, std::move(events));
    runner_->start();
    finishIfDone();
}

int BatchCapture::next() {
    while (!ended_) {
        int index = -1;
        if (CrawlFrontier* frontier = plan_->frontier()) {
            const auto entry = frontier->next();
            if (!entry)
                return -1;
            index = plan_->add(*entry);
            status_->setTotal(plan_->size());
        } else if (next_ < plan_->size()) {
            index = next_++;
        } else {
            return -1;
        }
        QString refusal;
        switch (plan_->check(index, &refusal)) {
        case CapturePlan::Step::Take:
            return index;
        case CapturePlan::Step::Skip:
            status_->skipped();
            break;
        case CapturePlan::Step::Refuse: {
            PageOutcome outcome;
            outcome.error = PageError::Other;
            outcome.refusal = refusal;
            failed(index, {}, outcome);
            break;
        }
        }
    }
    return -1;
}

bool BatchCapture::captured(int index, const PageCopy& copy, const PageLinks& links,
                            const PageOutcome& outcome) {
    if (ended_)
        return true;
    const QByteArray content = writer_->content(index, copy);
    if (content.isEmpty() && options_.format != CaptureOptions::Format::Text &&
        options_.format != CaptureOptions::Format::Jsonl)
        return false;
    const CaptureTarget& target = plan_->target(index);
    CrawledPage crawled;
    if (CrawlFrontier* frontier = plan_->frontier()) {
        // A redirect may leave the scope the links were held to: that page is not taken.
        const QUrl landed = CrawlScope::normalized(copy.url, options_.crawl.ignoreQuery);
        if (!copy.url.isEmpty() &&
            plan_->scope()->judge(landed) == CrawlScope::Verdict::OutOfScope) {
            PageOutcome outside = outcome;
            outside.error = PageError::Other;
            outside.refusal = QStringLiteral("la pagina porta fuori dall'ambito della "
                                             "scansione, a %1: non presa")
                                  .arg(printableAddress(CrawlScope::key(landed)));
            failed(index, copy, outside);
            return true;
        }
        crawled.depth = target.depth;
        crawled.pdf = target.pdf;
        crawled.links = frontier->taken(target.address, target.depth, copy.url, links);
        crawled.textHash = CrawlFrontier::textHash(copy.text);
        crawled.duplicateOf = frontier->duplicateOf(target.address, copy.text);
        if (!noteFrontier())
            return true;
        runner_->more();
    }
    QString problem;
    switch (writer_->captured(index, copy, content, outcome, &problem,
                              plan_->frontier() ? &crawled : nullptr)) {
    case CaptureWriter::Result::Written:
        if (crawled.duplicateOf.isEmpty())
            status_->captured(index, target.address, content.size(), outcome);
        else
            status_->duplicate(index, target.address, crawled.duplicateOf, outcome);
        break;
    case CaptureWriter::Result::PageFailed: {
        PageOutcome unwritten = outcome;
        unwritten.error = PageError::Other;
        unwritten.refusal = problem;
        failed(index, copy, unwritten);
        break;
    }
    case CaptureWriter::Result::OutputLost:
        outputLost(problem);
        break;
    }
    return true;
}

void BatchCapture::failed(int index, const PageCopy& known, const PageOutcome& outcome) {
    if (ended_)
        return;
    QString problem;
    CrawledPage crawled;
    crawled.depth = plan_->target(index).depth;
    crawled.pdf = plan_->target(index).pdf;
    if (!writer_->failed(index, known, outcome, &problem, plan_->frontier() ? &crawled : nullptr)) {
        outputLost(problem);
        return;
    }
    status_->failed(index, plan_->target(index).address, outcome);
}

void BatchCapture::outputLost(const QString& reason) {
    platform_.console().report(QStringLiteral("velcaro: i record non si possono più scrivere, "
                                              "cattura interrotta: ") +
                               reason);
    end(kSomeFailed);
}

void BatchCapture::stop(int exitCode) {
    if (ended_)
        return;
    const int running = runner_ ? runner_->running() : 0;
    if (stopCode_ >= 0 || running == 0) {
        stopCode_ = exitCode;
        if (runner_)
            status_->interrupted();
        end(exitCode);
        return;
    }
    stopCode_ = exitCode;
    runner_->stop();
    status_->stopping(running, kStopGraceMs);
    stopTimer_.start(kStopGraceMs);
}

void BatchCapture::finishIfDone() {
    if (ended_ || !runner_)
        return;
    status_->progress(runner_->running());
    if (stopCode_ >= 0) {
        if (runner_->running() == 0) {
            status_->interrupted();
            end(stopCode_);
        }
        return;
    }
    if (!runner_->idle())
        return;
    status_->summary(clock_.elapsed());
    if (CrawlFrontier* frontier = plan_->frontier()) {
        status_->crawled(frontier->counts(), options_.crawl);
        if (!frontier->problem().isEmpty())
            platform_.console().report(
                QStringLiteral("velcaro: la coda della scansione non si è potuta scrivere su "
                               "disco, indirizzi persi: ") +
                frontier->problem());
    }
    // A sitemap that could not be read is a failure too, whatever became of the pages.
    const bool sitemapsRead = !sitemaps_ || sitemaps_->unread() == 0;
    end(!status_->anyFailed() && sitemapsRead ? kAllCaptured : kSomeFailed);
}

void BatchCapture::end(int exitCode) {
    ended_ = true;
    stopTimer_.stop();
    if (runner_)
        runner_->stop();
    platform_.finish(exitCode);
}

} // namespace velcaro
