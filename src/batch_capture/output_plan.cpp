#include "batch_capture/output_plan.h"

#include "batch_capture/output_names.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace velcaro {
namespace {

// Why nothing can be written in `folder`, or an empty text.
QString folderProblem(const QString& folder) {
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir())
        return QStringLiteral("c'è un file con quel nome");
    if (!QDir().mkpath(folder))
        return QStringLiteral("impossibile crearla");
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".velcaro-XXXXXX")));
    return probe.open() ? QString() : probe.errorString();
}

} // namespace

OutputPlan::OutputPlan(const CaptureOptions& options, const std::vector<CaptureTarget>& targets) {
    // A crawl takes many pages from one address.
    const auto total = options.crawl.enabled ? std::max<size_t>(targets.size(), 2) : targets.size();
    if (options.output.isEmpty()) {
        if (total > 1 && options.format != CaptureOptions::Format::Jsonl) {
            problem_ =
                options.crawl.enabled
                    ? QStringLiteral("con --crawl serve --output CARTELLA (o --format jsonl).")
                    : QStringLiteral("con più indirizzi serve --output CARTELLA.");
            badUsage_ = true;
        }
        paths_.assign(targets.size(), QString());
        return;
    }
    const QString output =
        QDir::cleanPath(QDir(options.workingFolder).absoluteFilePath(options.output));
    const bool records = options.format == CaptureOptions::Format::Jsonl;
    const bool toFolder =
        !records && (total > 1 || QFileInfo(output).isDir() || options.output.endsWith(u'/'));
    const QString folder = toFolder ? output : QFileInfo(output).absolutePath();
    const QString unwritable = folderProblem(folder);
    if (!unwritable.isEmpty()) {
        problem_ = QStringLiteral("impossibile scrivere nella cartella %1: %2.")
                       .arg(QDir::toNativeSeparators(folder), unwritable);
        return;
    }
    output_ = output;
    if (records) {
        recordFile_ = output;
        paths_.assign(targets.size(), QString());
        return;
    }
    if (!toFolder) {
        paths_.assign(1, output);
        return;
    }
    folder_ = folder;
    names_ = std::make_unique<OutputNames>(u'.' + formatName(options.format));
    paths_.reserve(targets.size());
    for (const CaptureTarget& target : targets)
        add(target);
}

OutputPlan::~OutputPlan() = default;

void OutputPlan::add(const CaptureTarget& target) {
    // Without a folder, the pages go to the records.
    if (!names_) {
        paths_.push_back(QString());
        return;
    }
    paths_.push_back(QDir(folder_).filePath(names_->take(target.url)));
}

} // namespace velcaro
