#pragma once

#include "batch_capture/capture_options.h"

#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QUrl>
#include <vector>

namespace velcaro {

// Which addresses a crawl takes, and under which key: each page one key whatever variant of
// its address a link gives (see normalized()), within the scope of the addresses it started
// from, and never into a link trap.
class CrawlScope {
public:
    // `starts` are the addresses given, read as the capture reads them.
    CrawlScope(const CrawlOptions& options, const QList<QUrl>& starts);

    // Why the crawl cannot start (a regular expression that does not compile, a local start
    // with a scope other than prefix), in Italian; empty when it can.
    const QString& problem() const { return problem_; }

    // The address as its page's key: scheme and host in lower case, no default port, no `.`
    // or `..` segments, an empty path as `/`, percent-encoding in upper case with the
    // characters that need none decoded, no fragment, and with `ignoreQuery` no query.
    static QUrl normalized(const QUrl& url, bool ignoreQuery);
    static QString key(const QUrl& normalized);

    enum class Verdict {
        // A page to take.
        Page,
        // A PDF document to take as its text.
        Pdf,
        // A file that is no page (an image, an archive...): listed, not taken.
        NotAPage,
        // Out of the scope, of another scheme (javascript:, data:, mailto:...), excluded or not
        // included, or a local file outside the start's folder (also through a link).
        OutOfScope,
        // A link trap by its shape: a path repeating a segment, a query of many or repeated
        // parameters, an address too long.
        Trap,
    };
    // What becomes of the normalized address `url` as a link.
    Verdict judge(const QUrl& url) const;

    // The pattern of an address with a query, shared by the addresses that differ only in the
    // digits of its values; empty for an address without a query.
    static QString pattern(const QUrl& normalized);

    // A path with a segment this many times is a trap; a query with more parameters is too.
    static constexpr int kMaxSegmentRepeats = 3;
    static constexpr int kMaxQueryParameters = 16;
    static constexpr int kMaxAddressChars = 2048;

private:
    struct Start {
        QUrl url;
        // Where its scope begins: the folder of its path; for a local file, its folder's real
        // path.
        QString folder;
        QString domain;
    };
    bool inScope(const QUrl& url) const;

    CrawlOptions::Scope scope_;
    std::vector<Start> starts_;
    QSet<QString> startKeys_;
    std::vector<QRegularExpression> include_;
    std::vector<QRegularExpression> exclude_;
    QString problem_;
};

// The part of `host` its subdomains share, as far as the host alone tells: the last two labels,
// three under a country's second-level domain (`co.uk`, `com.au`); an address or a name of
// one label as it is.
QString siteDomain(const QString& host);

} // namespace velcaro
