#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace velcaro {

// What a crawl adds to a page's record and journal line.
struct CrawledPage {
    // The page's outgoing links, normalized, followed or not.
    QStringList links;
    // The page taken before whose text this one has; empty for a page of its own.
    QString duplicateOf;
    // The hash of the page's text (CrawlFrontier::textHash).
    QString textHash;
    int depth = 0;
    bool pdf = false;
};

// What the JSON Lines record of one address says.
struct PageRecord {
    // The address as given.
    QString address;
    // Where the page ended, after its redirects.
    QUrl url;
    // The HTTP status, or 0 for none (a file, a page that never answered).
    int httpStatus = 0;
    QString title;
    QString lang;
    // Empty when the page failed.
    QString text;
    // Why the page failed, in Italian; empty when it was captured.
    QString error;
    qint64 ms = 0;
    // The address's position in the whole list.
    qint64 index = 0;
    // A crawl's page, with what the crawl adds ("links", "depth", "duplicate_of", "type");
    // none for a page of a list.
    const CrawledPage* crawled = nullptr;
};

// The record as one line of JSON, with its newline. Every text in it is valid Unicode: a lone
// surrogate (a page may put one in its title) becomes U+FFFD, since readers of the stream stop
// at one.
QByteArray recordLine(const PageRecord& record);

} // namespace velcaro
