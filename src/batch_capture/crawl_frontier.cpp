#include "batch_capture/crawl_frontier.h"

#include "platform/capture_engine.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QtEndian>

namespace velcaro {
namespace {

const QString kQueued = QStringLiteral("queued");
const QString kSeen = QStringLiteral("seen");
const QString kOk = QStringLiteral("ok");

} // namespace

CrawlFrontier::CrawlFrontier(const CrawlOptions& options, const CrawlScope& scope,
                             const QString& spillFolder, bool journaled)
    : options_(options), scope_(scope), queue_(spillFolder), journaled_(journaled) {}

// A cryptographic hash, so that no page can name addresses that pass for others.
quint64 CrawlFrontier::hashOf(const QString& text) {
    const QByteArray digest = QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1);
    return qFromBigEndian<quint64>(digest.constData());
}

QString CrawlFrontier::textHash(const QString& text) {
    return QString::number(hashOf(text), 16);
}

bool CrawlFrontier::know(const QString& key) {
    return known_.insert(hashOf(key)).second;
}

void CrawlFrontier::queue(const QString& key, int depth, bool pdf, bool fromJournal) {
    const QString pattern = CrawlScope::pattern(QUrl(key));
    if (!pattern.isEmpty())
        ++patterns_[hashOf(pattern)];
    queue_.push({key, depth, pdf});
    ++counts_.queued;
    if (fromJournal || !journaled_)
        return;
    QJsonObject line{{QStringLiteral("address"), key},
                     {QStringLiteral("depth"), depth},
                     {QStringLiteral("outcome"), kQueued}};
    if (pdf)
        line.insert(QStringLiteral("type"), QStringLiteral("pdf"));
    lines_ << QJsonDocument(line).toJson(QJsonDocument::Compact);
}

bool CrawlFrontier::seed(const QUrl& url) {
    const QUrl normal = CrawlScope::normalized(url, options_.ignoreQuery);
    const QString key = CrawlScope::key(normal);
    if (!know(key))
        return false;
    queue(key, 0, scope_.judge(normal) == CrawlScope::Verdict::Pdf, false);
    return true;
}

QStringList CrawlFrontier::taken(const QString& address, int depth, const QUrl& finalUrl,
                                 const PageLinks& links) {
    // The page's own address goes on as the journal has it: done, and skipped as such.
    const auto markTaken = [this, &address](const QUrl& url) {
        const QString key = CrawlScope::key(CrawlScope::normalized(url, options_.ignoreQuery));
        know(key);
        if (key == address)
            return;
        if (taken_.insert(hashOf(key)).second && journaled_)
            lines_ << QJsonDocument(QJsonObject{{QStringLiteral("address"), key},
                                                {QStringLiteral("outcome"), kSeen}})
                          .toJson(QJsonDocument::Compact);
    };
    know(address);
    if (finalUrl.isValid() && !finalUrl.isEmpty())
        markTaken(finalUrl);
    // Only a canonical address on the page's own site: a page may not hide another site's.
    const QUrl canonical(links.canonical);
    if (canonical.isValid() && canonical.host() == finalUrl.host() &&
        canonical.scheme() == finalUrl.scheme())
        markTaken(canonical);
    QStringList outgoing;
    QSet<QString> listed;
    for (const QStringList* list : {&links.links, &links.next}) {
        for (const QString& link : *list) {
            const QUrl url = CrawlScope::normalized(QUrl(link), options_.ignoreQuery);
            if (!url.isValid() || url.isEmpty())
                continue;
            const QString key = CrawlScope::key(url);
            if (listed.contains(key))
                continue;
            listed.insert(key);
            outgoing << key;
            const CrawlScope::Verdict verdict = scope_.judge(url);
            if (verdict != CrawlScope::Verdict::Page && verdict != CrawlScope::Verdict::Pdf) {
                if (!know(key))
                    continue;
                if (verdict == CrawlScope::Verdict::Trap)
                    ++counts_.traps;
                else if (verdict == CrawlScope::Verdict::NotAPage)
                    ++counts_.notPages;
                else
                    ++counts_.outOfScope;
                continue;
            }
            if (known_.count(hashOf(key)) != 0)
                continue;
            if (depth + 1 > options_.depth) {
                know(key);
                ++counts_.tooDeep;
                continue;
            }
            const QString pattern = CrawlScope::pattern(url);
            if (!pattern.isEmpty() && patterns_.value(hashOf(pattern)) >= options_.maxPerPattern) {
                know(key);
                ++counts_.traps;
                fullPatterns_.insert(hashOf(pattern));
                continue;
            }
            know(key);
            queue(key, depth + 1, verdict == CrawlScope::Verdict::Pdf, false);
        }
    }
    return outgoing;
}

QString CrawlFrontier::duplicateOf(const QString& address, const QString& text) {
    const quint64 hash = hashOf(text);
    const auto first = texts_.constFind(hash);
    if (first != texts_.constEnd() && *first != address) {
        ++counts_.duplicates;
        return *first;
    }
    texts_.insert(hash, address);
    return {};
}

std::optional<CrawlFrontier::Entry> CrawlFrontier::next() {
    if (options_.maxPages > 0 && given_ >= options_.maxPages)
        return std::nullopt;
    CrawlQueue::Item item;
    do {
        if (!queue_.pop(&item))
            return std::nullopt;
    } while (taken_.count(hashOf(item.address)) != 0 && ++counts_.alreadyTaken);
    ++given_;
    return Entry{item.address, item.depth, item.pdf};
}

QByteArrayList CrawlFrontier::journalLines() {
    return std::exchange(lines_, {});
}

void CrawlFrontier::read(const QJsonObject& line) {
    const QString address = line.value(QStringLiteral("address")).toString();
    const QString outcome = line.value(QStringLiteral("outcome")).toString();
    if (address.isEmpty())
        return;
    if (outcome == kQueued) {
        if (know(address))
            queue(address, line.value(QStringLiteral("depth")).toInt(),
                  line.value(QStringLiteral("type")).toString() == QLatin1String("pdf"), true);
    } else if (outcome == kSeen) {
        know(address);
        taken_.insert(hashOf(address));
    } else if (outcome == kOk) {
        bool read = false;
        const quint64 hash = line.value(QStringLiteral("text")).toString().toULongLong(&read, 16);
        if (read && !texts_.contains(hash))
            texts_.insert(hash, address);
    }
}

CrawlFrontier::Counts CrawlFrontier::counts() const {
    Counts counts = counts_;
    counts.trapPatterns = fullPatterns_.size();
    if (options_.maxPages > 0 && given_ >= options_.maxPages)
        counts.leftOver = queue_.size();
    return counts;
}

} // namespace velcaro
