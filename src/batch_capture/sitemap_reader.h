#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace velcaro {

// What one sitemap file names: the pages of a `urlset` (its `url/loc`) or the sitemaps of a
// `sitemapindex` (its `sitemap/loc`). Only http and https addresses are kept.
struct SitemapContent {
    QStringList pages;
    QStringList sitemaps;
    // Why the file was not read to its end, in Italian; what was read before stays.
    QString problem;
};

// Reads sitemap files, gzip-compressed or not (told by their first bytes), with the elements
// found by their local names whatever their namespace. Nothing is fetched: a file with a
// document type declaration is refused before its declarations are read, so no entity is
// ever defined or expanded. A file of more than kMaxBytes, compressed or not, is refused; at
// most kMaxBytes of XML (after decompression) and kMaxAddresses addresses are read from one.
class SitemapReader {
public:
    static SitemapContent read(const QByteArray& body);

    static constexpr qsizetype kMaxBytes = 50 * 1024 * 1024;
    static constexpr int kMaxAddresses = 50000;
    // Longer locations are left out.
    static constexpr int kMaxAddressLength = 2048;
};

} // namespace velcaro
