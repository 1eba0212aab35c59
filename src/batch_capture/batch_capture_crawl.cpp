// The crawl's part of the run: the sites' sitemaps as seeds, and the frontier's news to the
// journal.
#include "batch_capture/batch_capture.h"
#include "batch_capture/capture_plan.h"
#include "batch_capture/robots_rules.h"
#include "batch_capture/sitemap_crawl.h"
#include "platform/capture_platform.h"
#include "platform/console.h"

namespace velcaro {

void BatchCapture::fetchCrawlRobots(int site) {
    if (site >= crawlSites_.size()) {
        fetchNextSitemap();
        return;
    }
    const QUrl robots = crawlSites_.at(site).resolved(QUrl(QStringLiteral("/robots.txt")));
    const FetchRequest request{robots, engine_.userAgent(), options_.timeoutSeconds * 1000,
                               RobotsRules::kMaxBodyBytes};
    platform_.fetch(
        request, [this, site, robots](const QByteArray& body, int, const QString& failure) {
            QList<QUrl> named = failure.isEmpty() ? robotsSitemaps(body, robots) : QList<QUrl>();
            if (named.isEmpty())
                named << crawlSites_.at(site).resolved(QUrl(QStringLiteral("/sitemap.xml")));
            for (const QUrl& sitemap : named)
                sitemaps_->add(sitemap);
            fetchCrawlRobots(site + 1);
        });
}

void BatchCapture::crawlSitemapsRead() {
    CrawlFrontier& frontier = *plan_->frontier();
    qsizetype seeds = 0;
    for (const QString& page : sitemaps_->pages()) {
        const QUrl url = CrawlScope::normalized(QUrl(page), options_.crawl.ignoreQuery);
        const CrawlScope::Verdict verdict = plan_->scope()->judge(url);
        if ((verdict == CrawlScope::Verdict::Page || verdict == CrawlScope::Verdict::Pdf) &&
            frontier.seed(url))
            ++seeds;
    }
    platform_.console().report(
        seeds == 1 ? QStringLiteral("velcaro: 1 pagina nuova dalle sitemap.")
                   : QStringLiteral("velcaro: %1 pagine nuove dalle sitemap.").arg(seeds));
    // A site without sitemaps is crawled from its links alone: not a failure.
    sitemaps_.reset();
    run();
}

bool BatchCapture::noteFrontier() {
    QString problem;
    if (plan_->journal() && !plan_->journal()->note(plan_->frontier()->journalLines(), &problem)) {
        outputLost(problem);
        return false;
    }
    return true;
}

} // namespace velcaro
