#pragma once

#include <QString>
#include <QStringList>

namespace velcaro {

// What a site crawl (`--crawl`) follows: the links of each page taken, from the addresses
// given, within a scope, to a depth, up to a count.
struct CrawlOptions {
    // The pages a crawl may take: only the addresses given; those under the folder of one of
    // them on its host (a local file's folder); those of their hosts; those of their domains.
    enum class Scope { Page, Prefix, Host, Domain };

    bool enabled = false;
    Scope scope = Scope::Prefix;
    // Regular expressions on the normalized address: a page followed matches one of the first
    // (when there are any) and none of the second.
    QStringList include;
    QStringList exclude;
    // Links from the addresses given are at depth 1; deeper ones are not followed.
    int depth = kDefaultDepth;
    // Pages taken at most (the addresses given among them); 0 for no bound.
    qint64 maxPages = 0;
    // Addresses with a query that differ only in its values' digits are one pattern: at most
    // this many of a pattern are taken (calendars, ever-growing listings).
    int maxPerPattern = kDefaultMaxPerPattern;
    // The sitemaps of each site (robots.txt's Sitemap lines) add their pages as addresses given.
    bool followSitemaps = false;
    // An address's query is dropped: addresses that differ only in it are one page.
    bool ignoreQuery = false;

    static constexpr int kDefaultDepth = 5;
    static constexpr int kDefaultMaxPerPattern = 1000;
};

// What `velcaro --capture` was asked to do.
struct CaptureOptions {
    enum class Format { Text, Rtf, Markdown, Jsonl };
    // The web engine the pages load in: Debian's chromium when it is installed, else the
    // window's engine; or the one asked for.
    enum class Engine { Default, Chromium, Qt };

    // The addresses as given (a list read from standard input already in their place), read
    // as GO reads them.
    QStringList addresses;
    Format format = Format::Text;
    Engine engine = Engine::Default;
    // A file (one address, or the records of --format jsonl) or a folder; empty for standard
    // output (one address, or the records).
    QString output;
    // Existing files may be replaced.
    bool force = false;
    // Only the main text of each page (the whole page when a page has none).
    bool mainText = false;
    // Time given to a page after its load has finished, for the scripts that change it then.
    int settleMs = kDefaultSettleMs;
    // Time a page has to load: one still loading then is taken as it is, and fails only when
    // it shows nothing to copy.
    int timeoutSeconds = kDefaultTimeoutSeconds;
    // Pages loaded at once.
    int jobs = 1;
    // Pages of one host loading at once, and the least time between two starts on one host.
    int perHost = kDefaultPerHost;
    int delayMs = 0;
    // Pages a site's robots.txt forbids to the engine's user agent are not loaded.
    bool robots = false;
    // The addresses are sitemaps, which stand for the pages they name.
    bool sitemap = false;
    // The pages' console messages go to standard error.
    bool verbose = false;
    // Tries after the first for a page whose failure is transient (see RetryPolicy).
    int retries = kDefaultRetries;
    // The position in the whole list of the first address given, for a run that takes one
    // block of a list split between several runs (GNU parallel): the records' "index" counts
    // from it.
    qint64 firstIndex = 0;
    // With `crawl.enabled`, the addresses are where a site crawl starts.
    CrawlOptions crawl;
    // The journal a run records each finished address in and resumes from; empty for none.
    QString journal;
    // The folder relative addresses and the output are read against.
    QString workingFolder;

    static constexpr int kDefaultSettleMs = 300;
    static constexpr int kDefaultTimeoutSeconds = 60;
    static constexpr int kMaxJobs = 32;
    static constexpr int kDefaultRetries = 2;
    static constexpr int kDefaultPerHost = 2;
};

// The exit codes of a capture: every page taken, some failed (or the run could not go on),
// a bad command line.
namespace capture_exit {
constexpr int kAllCaptured = 0;
constexpr int kSomeFailed = 1;
constexpr int kBadUsage = 2;
} // namespace capture_exit

// The format's name on the command line, and the extension of its page files: "txt", "rtf",
// "md", "jsonl".
inline QString formatName(CaptureOptions::Format format) {
    switch (format) {
    case CaptureOptions::Format::Rtf:
        return QStringLiteral("rtf");
    case CaptureOptions::Format::Markdown:
        return QStringLiteral("md");
    case CaptureOptions::Format::Jsonl:
        return QStringLiteral("jsonl");
    case CaptureOptions::Format::Text:
        break;
    }
    return QStringLiteral("txt");
}

} // namespace velcaro
