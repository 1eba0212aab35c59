#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>

namespace velcaro {

// The sitemaps of a capture and the pages they name, for the caller that fetches them: it
// asks next() for a sitemap to fetch and gives back its body (read()) or why it could not
// (failed()), until next() has none.
//
// The sitemaps given with add() are at level 1, those an index names one level below theirs;
// sitemaps below level `maxDepth` are not fetched. Each sitemap is fetched once, so indexes
// that name each other end. At most `maxSitemaps` are queued in all, those given included:
// the sitemaps named past them are counted, not kept, so an index of indexes costs neither
// memory nor fetches beyond the bound. Pages are kept once each, at most `maxPages`; once
// they are all there no more sitemaps are fetched.
class SitemapCrawl {
public:
    explicit SitemapCrawl(int maxDepth = kMaxDepth, int maxPages = kMaxPages,
                          int maxSitemaps = kMaxSitemaps);

    void add(const QUrl& sitemap);
    // The next sitemap to fetch, leaving the queue; an empty address when none is left.
    QUrl next();
    // `sitemap` is the address next() gave.
    void read(const QUrl& sitemap, const QByteArray& body);
    void failed(const QUrl& sitemap, const QString& reason);

    const QStringList& pages() const { return pages_; }
    // What went wrong or was left, one line each, in Italian: the sitemap and the reason; the
    // sitemaps left past the bound on sitemaps, in one line.
    QStringList problems() const;
    // Sitemaps that could not be fetched, or read to their end.
    int unread() const { return unread_; }

    static constexpr int kMaxDepth = 3;
    static constexpr int kMaxPages = 100000;
    static constexpr int kMaxSitemaps = 1000;

private:
    void queue(const QUrl& sitemap, int level);

    int maxDepth_;
    int maxPages_;
    int maxSitemaps_;
    // Sitemaps named past the bound on sitemaps.
    qint64 left_ = 0;
    int unread_ = 0;
    std::deque<QUrl> queue_;
    // Every sitemap queued, by its key, with its level.
    QHash<QString, int> levels_;
    QSet<QString> pageSet_;
    QStringList pages_;
    QStringList problems_;
};

// The sitemaps a robots.txt names on its `Sitemap:` lines, read against `robots`, its address.
QList<QUrl> robotsSitemaps(const QByteArray& body, const QUrl& robots);

} // namespace velcaro
