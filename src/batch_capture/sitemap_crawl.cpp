#include "batch_capture/sitemap_crawl.h"

#include "batch_capture/sitemap_reader.h"

namespace velcaro {
namespace {

QString key(const QUrl& sitemap) {
    return sitemap.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments)
        .toString(QUrl::FullyEncoded);
}

} // namespace

SitemapCrawl::SitemapCrawl(int maxDepth, int maxPages, int maxSitemaps)
    : maxDepth_(maxDepth), maxPages_(maxPages), maxSitemaps_(maxSitemaps) {}

void SitemapCrawl::add(const QUrl& sitemap) {
    queue(sitemap, 1);
}

QUrl SitemapCrawl::next() {
    if (queue_.empty() || pages_.size() >= maxPages_)
        return {};
    const QUrl url = queue_.front();
    queue_.pop_front();
    return url;
}

void SitemapCrawl::read(const QUrl& sitemap, const QByteArray& body) {
    const SitemapContent content = SitemapReader::read(body);
    const QString where = sitemap.toDisplayString();
    if (!content.problem.isEmpty()) {
        problems_ << QStringLiteral("%1: %2").arg(where, content.problem);
        ++unread_;
    }
    for (const QString& page : content.pages) {
        if (pages_.size() >= maxPages_) {
            problems_ << QStringLiteral("%1: raggiunto il limite di %2 pagine, le altre lasciate")
                             .arg(where)
                             .arg(maxPages_);
            break;
        }
        if (!pageSet_.contains(page)) {
            pageSet_.insert(page);
            pages_ << page;
        }
    }
    const int level = levels_.value(key(sitemap), 1) + 1;
    if (level > maxDepth_ && !content.sitemaps.isEmpty()) {
        problems_ << QStringLiteral("%1: %2 sitemap oltre il livello %3 lasciate")
                         .arg(where)
                         .arg(content.sitemaps.size())
                         .arg(maxDepth_);
        return;
    }
    for (const QString& child : content.sitemaps)
        queue(QUrl(child), level);
}

void SitemapCrawl::failed(const QUrl& sitemap, const QString& reason) {
    problems_ << QStringLiteral("%1: %2").arg(sitemap.toDisplayString(), reason);
    ++unread_;
}

QStringList SitemapCrawl::problems() const {
    if (left_ == 0)
        return problems_;
    return problems_ + QStringList(QStringLiteral("oltre le prime %1 di un'esecuzione: altre %2 "
                                                  "nominate, non lette")
                                       .arg(maxSitemaps_)
                                       .arg(left_));
}

void SitemapCrawl::queue(const QUrl& sitemap, int level) {
    const QString k = key(sitemap);
    if (levels_.contains(k))
        return;
    if (levels_.size() >= maxSitemaps_) {
        ++left_;
        return;
    }
    levels_.insert(k, level);
    queue_.push_back(sitemap);
}

QList<QUrl> robotsSitemaps(const QByteArray& body, const QUrl& robots) {
    QList<QUrl> sitemaps;
    for (const QByteArray& raw : body.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.size() > 8 && line.left(8).toLower() == "sitemap:") {
            const QUrl url = robots.resolved(QUrl(QString::fromUtf8(line.mid(8).trimmed())));
            if (url.isValid() &&
                (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")))
                sitemaps << url;
        }
    }
    return sitemaps;
}

} // namespace velcaro
