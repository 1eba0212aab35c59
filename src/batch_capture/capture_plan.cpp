#include "batch_capture/capture_plan.h"

#include "platform/atomic_file.h"
#include "platform/velcaro_error.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velcaro {

using capture_exit::kBadUsage;
using capture_exit::kSomeFailed;

CapturePlan::CapturePlan(const CaptureOptions& options) : options_(options) {}

namespace {

const char* scopeName(CrawlOptions::Scope scope) {
    switch (scope) {
    case CrawlOptions::Scope::Page:
        return "page";
    case CrawlOptions::Scope::Host:
        return "host";
    case CrawlOptions::Scope::Domain:
        return "domain";
    case CrawlOptions::Scope::Prefix:
        break;
    }
    return "prefix";
}

// What a crawl's journal is for: where it starts and every option that changes its pages.
QString crawlPurpose(const CrawlOptions& crawl, const std::vector<CaptureTarget>& starts) {
    QJsonArray keys;
    for (const CaptureTarget& start : starts)
        keys << CrawlScope::key(CrawlScope::normalized(start.url, crawl.ignoreQuery));
    const QJsonObject object{{QStringLiteral("start"), keys},
                             {QStringLiteral("scope"), QString::fromLatin1(scopeName(crawl.scope))},
                             {QStringLiteral("depth"), crawl.depth},
                             {QStringLiteral("max_pages"), crawl.maxPages},
                             {QStringLiteral("max_per_pattern"), crawl.maxPerPattern},
                             {QStringLiteral("include"), QJsonArray::fromStringList(crawl.include)},
                             {QStringLiteral("exclude"), QJsonArray::fromStringList(crawl.exclude)},
                             {QStringLiteral("ignore_query"), crawl.ignoreQuery},
                             {QStringLiteral("sitemaps"), crawl.followSitemaps}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

bool CapturePlan::make(const QStringList& addresses, int* repeated, QString* problem,
                       int* exitCode) {
    targets_ = captureTargets(addresses, options_.workingFolder, repeated);
    if (targets_.empty()) {
        *problem = QStringLiteral("nessun indirizzo da prendere.");
        *exitCode = kBadUsage;
        return false;
    }
    const bool crawl = options_.crawl.enabled;
    const std::vector<CaptureTarget> starts = crawl ? std::move(targets_) : targets_;
    if (crawl) {
        targets_.clear();
        for (const CaptureTarget& start : starts)
            starts_ << start.url;
        scope_ = std::make_unique<CrawlScope>(options_.crawl, starts_);
        if (!scope_->problem().isEmpty()) {
            *problem = scope_->problem();
            *exitCode = kBadUsage;
            return false;
        }
    }
    outputs_ = std::make_unique<OutputPlan>(options_, targets_);
    if (!outputs_->problem().isEmpty()) {
        *problem = outputs_->problem();
        *exitCode = outputs_->badUsage() ? kBadUsage : kSomeFailed;
        return false;
    }
    const QString journalPath =
        options_.journal.isEmpty()
            ? QString()
            : QDir(options_.workingFolder).absoluteFilePath(options_.journal);
    if (crawl) {
        // The queue spills next to the journal, or next to the output.
        const QString spill = !journalPath.isEmpty() ? QFileInfo(journalPath).absolutePath()
                              : !outputs_->output().isEmpty()
                                  ? QFileInfo(outputs_->output()).absolutePath()
                                  : QDir::tempPath();
        frontier_ =
            std::make_unique<CrawlFrontier>(options_.crawl, *scope_, spill, !journalPath.isEmpty());
    }
    if (!journalPath.isEmpty()) {
        journal_ = std::make_unique<CaptureJournal>();
        const JournalPurpose purpose{formatName(options_.format), outputs_->output(),
                                     options_.mainText,
                                     crawl ? crawlPurpose(options_.crawl, starts) : QString()};
        if (crawl)
            journal_->setReader([this](const QJsonObject& line) { frontier_->read(line); });
        const CaptureJournal::Opening opening = journal_->open(journalPath, purpose, problem);
        if (opening != CaptureJournal::Opening::Opened) {
            *exitCode = opening == CaptureJournal::Opening::ForAnotherRun ? kBadUsage : kSomeFailed;
            return false;
        }
    }
    if (crawl)
        for (const CaptureTarget& start : starts)
            frontier_->seed(start.url);
    return true;
}

int CapturePlan::add(const CrawlFrontier::Entry& entry) {
    CaptureTarget target = captureTarget(entry.address, options_.workingFolder);
    target.index = size();
    target.depth = entry.depth;
    target.pdf = entry.pdf;
    outputs_->add(target);
    targets_.push_back(std::move(target));
    return size() - 1;
}

QString CapturePlan::outputOf(int index) const {
    return recordFile().isEmpty() ? path(index) : recordFile();
}

CapturePlan::Step CapturePlan::check(int index, QString* refusal) const {
    const CaptureTarget& page = target(index);
    if (journal_ && journal_->done(page.address, outputOf(index)))
        return Step::Skip;
    if (!page.problem.isEmpty()) {
        *refusal = page.problem;
        return Step::Refuse;
    }
    try {
        if (!path(index).isEmpty())
            checkOwnFile(path(index), options_.force);
    } catch (const VelcaroError& e) {
        *refusal = e.description();
        return Step::Refuse;
    }
    return Step::Take;
}

} // namespace velcaro
