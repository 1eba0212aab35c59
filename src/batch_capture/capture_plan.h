#pragma once

#include "batch_capture/capture_journal.h"
#include "batch_capture/capture_options.h"
#include "batch_capture/capture_target.h"
#include "batch_capture/crawl_frontier.h"
#include "batch_capture/crawl_scope.h"
#include "batch_capture/output_plan.h"

#include <memory>
#include <vector>

namespace velcaro {

// What a capture is to do, before any page loads: its addresses, each page once; where each
// goes; and what the journal says was done already.
class CapturePlan {
public:
    explicit CapturePlan(const CaptureOptions& options);

    // Plans the run over `addresses`. False when nothing can start: `problem` says why in
    // Italian and `exitCode` is the run's code (bad usage, or an output or a journal that
    // cannot be used). `repeated` counts the addresses left out as repeated.
    // For a crawl the addresses are where it starts: they seed its frontier (after what the
    // journal had of it), whose pages are planned as they are taken (add()).
    bool make(const QStringList& addresses, int* repeated, QString* problem, int* exitCode);

    // A crawl's frontier, or none.
    CrawlFrontier* frontier() { return frontier_.get(); }
    const CrawlScope* scope() const { return scope_.get(); }
    // Where a crawl starts: the addresses given, read.
    const QList<QUrl>& starts() const { return starts_; }
    // Plans the crawl's page `entry`; its index.
    int add(const CrawlFrontier::Entry& entry);

    int size() const { return static_cast<int>(targets_.size()); }
    const CaptureTarget& target(int index) const { return targets_[static_cast<size_t>(index)]; }
    // The file of the page at `index`; an empty text for standard output or the records.
    const QString& path(int index) const { return outputs_->path(index); }
    // Where the page at `index` is written: its file, the records file, or an empty text for
    // standard output.
    QString outputOf(int index) const;
    const QString& recordFile() const { return outputs_->recordFile(); }

    enum class Step { Take, Skip, Refuse };
    // What to do with the page at `index`: take it, skip it (the journal has it as taken, its
    // output is still there), or refuse it at once (`refusal` says why: a missing file, its
    // output file in the way).
    Step check(int index, QString* refusal) const;

    // The journal, or none.
    CaptureJournal* journal() { return journal_.get(); }

private:
    const CaptureOptions& options_;
    std::vector<CaptureTarget> targets_;
    std::unique_ptr<OutputPlan> outputs_;
    std::unique_ptr<CaptureJournal> journal_;
    std::unique_ptr<CrawlScope> scope_;
    QList<QUrl> starts_;
    std::unique_ptr<CrawlFrontier> frontier_;
};

} // namespace velcaro
