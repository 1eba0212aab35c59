#pragma once

#include "batch_capture/capture_options.h"
#include "batch_capture/capture_target.h"

#include <QString>
#include <memory>
#include <vector>

namespace velcaro {

class OutputNames;

// Where each page of a capture goes: standard output for a single page without --output, the
// file named for a single page, else one file per page in the folder, made when missing. The
// records of --format jsonl all go to standard output or to the one file named.
// Planned before any page loads, so that an output that cannot be written stops the run first.
class OutputPlan {
public:
    // A crawl's pages are added as they are found (add()): they go to a folder, or to the
    // records.
    OutputPlan(const CaptureOptions& options, const std::vector<CaptureTarget>& targets);
    ~OutputPlan();

    // Plans the page of `target`, after those planned; its index is the next one.
    void add(const CaptureTarget& target);

    // Why nothing can be written, or an empty text; `badUsage` when the command line itself
    // is at fault (several pages and no folder to write them to).
    const QString& problem() const { return problem_; }
    bool badUsage() const { return badUsage_; }
    // The file of the page at `index`, or an empty text for standard output.
    const QString& path(int index) const { return paths_[static_cast<size_t>(index)]; }
    // The file the records are appended to, or an empty text for standard output.
    const QString& recordFile() const { return recordFile_; }
    // The output as a whole, absolute: the folder, the one file or the records file; an empty
    // text for standard output.
    const QString& output() const { return output_; }

private:
    QString output_;
    QString recordFile_;
    std::vector<QString> paths_;
    // The folder of the pages' files, with their names so far; empty for none.
    QString folder_;
    std::unique_ptr<OutputNames> names_;
    QString problem_;
    bool badUsage_ = false;
};

} // namespace velcaro
