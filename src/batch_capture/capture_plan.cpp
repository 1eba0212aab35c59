#include "batch_capture/capture_plan.h"

#include "platform/atomic_file.h"
#include "platform/velcaro_error.h"

#include <QDir>

namespace velcaro {

using capture_exit::kBadUsage;
using capture_exit::kSomeFailed;

CapturePlan::CapturePlan(const CaptureOptions& options) : options_(options) {}

bool CapturePlan::make(const QStringList& addresses, int* repeated, QString* problem,
                       int* exitCode) {
    targets_ = captureTargets(addresses, options_.workingFolder, repeated);
    if (targets_.empty()) {
        *problem = QStringLiteral("nessun indirizzo da prendere.");
        *exitCode = kBadUsage;
        return false;
    }
    outputs_ = std::make_unique<OutputPlan>(options_, targets_);
    if (!outputs_->problem().isEmpty()) {
        *problem = outputs_->problem();
        *exitCode = outputs_->badUsage() ? kBadUsage : kSomeFailed;
        return false;
    }
    if (options_.journal.isEmpty())
        return true;
    journal_ = std::make_unique<CaptureJournal>();
    const JournalPurpose purpose{formatName(options_.format), outputs_->output(),
                                 options_.mainText};
    const CaptureJournal::Opening opening = journal_->open(
        QDir(options_.workingFolder).absoluteFilePath(options_.journal), purpose, problem);
    if (opening == CaptureJournal::Opening::Opened)
        return true;
    *exitCode = opening == CaptureJournal::Opening::ForAnotherRun ? kBadUsage : kSomeFailed;
    return false;
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
