#pragma once

#include "batch_capture/crawl_queue.h"
#include "batch_capture/crawl_scope.h"

#include <QByteArrayList>
#include <QHash>
#include <QJsonObject>
#include <QSet>
#include <optional>
#include <unordered_set>

namespace velcaro {

struct PageLinks;

// The addresses of a crawl still to take, breadth first, each page once: an address is known
// by the hash of its normalized form (see CrawlScope), whether it was queued, taken, reached
// by a redirect or named as a page's canonical address. The queue spills to a file past a
// bound (CrawlQueue). Each page's text is known by its hash too, so that a page identical to
// one taken is told as its duplicate.
//
// What the frontier learns is given back as journal lines (journalLines()), which the journal
// reader gives back to a resumed crawl (read()): the same queue in the same order, the same
// pages known, the same texts.
class CrawlFrontier {
public:
    // `journaled`: journalLines() is called after each change, so the lines are kept for it.
    CrawlFrontier(const CrawlOptions& options, const CrawlScope& scope, const QString& spillFolder,
                  bool journaled);

    // An address given (or named by a sitemap), at depth 0; false when it was known already.
    bool seed(const QUrl& url);

    // The page `address` at `depth` was taken, ending at `finalUrl` with `links`: the
    // addresses it links to that are to be taken are queued, its final and canonical
    // addresses are known as taken. Returns the page's outgoing links, normalized, each once.
    QStringList taken(const QString& address, int depth, const QUrl& finalUrl,
                      const PageLinks& links);
    // The address a page of `text` duplicates, or an empty text: the page is then known by it.
    QString duplicateOf(const QString& address, const QString& text);
    // The hash duplicateOf() keeps of a text, as the journal writes it.
    static QString textHash(const QString& text);

    struct Entry {
        QString address;
        int depth = 0;
        bool pdf = false;
    };
    // The next address to take; none when the queue is empty or --max-pages were given out.
    std::optional<Entry> next();

    // The lines the journal is to hold of what was learnt since the last call, in order.
    QByteArrayList journalLines();
    // A line of the journal (any of its records) read back by a resumed crawl.
    void read(const QJsonObject& line);

    // What the crawl left, for its summary.
    struct Counts {
        qint64 queued = 0;
        qint64 outOfScope = 0;
        qint64 notPages = 0;
        qint64 tooDeep = 0;
        qint64 traps = 0;
        // The patterns whose addresses were stopped past --max-per-pattern.
        qint64 trapPatterns = 0;
        // Addresses left in the queue when --max-pages were given out.
        qint64 leftOver = 0;
        qint64 duplicates = 0;
        // Queued addresses left out as a taken page's final or canonical address.
        qint64 alreadyTaken = 0;
    };
    Counts counts() const;
    // The queue failed to spill to its file (a full disk); empty when it did not.
    QString problem() const { return queue_.problem(); }

private:
    static quint64 hashOf(const QString& text);
    // Known from now on; false when it was known already.
    bool know(const QString& key);
    void queue(const QString& key, int depth, bool pdf, bool fromJournal);

    const CrawlOptions& options_;
    const CrawlScope& scope_;
    CrawlQueue queue_;
    std::unordered_set<quint64> known_;
    // Addresses a page taken ended at or named as its canonical one: not taken again.
    std::unordered_set<quint64> taken_;
    QHash<quint64, int> patterns_;
    QSet<quint64> fullPatterns_;
    // The first page of each text taken.
    QHash<quint64, QString> texts_;
    QByteArrayList lines_;
    bool journaled_;
    qint64 given_ = 0;
    Counts counts_;
};

} // namespace velcaro
