#include "page_set.h"

#include "capture_page.h"
#include "measure_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace velcaro::bench {
namespace {

// About the bytes of one table row and one paragraph of makeCapturePage.
constexpr qsizetype kRowBytes = 80;
constexpr qsizetype kParagraphBytes = 500;
// Coprime with kPages, so that page i takes the (i * kShuffle % kPages)-th size.
constexpr int kShuffle = 77;

const QByteArray kLastParagraph = "Fine pagina.";

} // namespace

PageSet::PageSet(const QString& folder) {
    require(QDir().mkpath(folder), "cannot make the pages' folder");
    smallest_ = kLargest;
    for (int i = 0; i < kPages; ++i) {
        const qsizetype step = (i * kShuffle) % kPages;
        const qsizetype target = kSmallest + (kLargest - kSmallest) * step / (kPages - 1);
        const int rows = 20 + i % 31;
        const int paragraphs = static_cast<int>((target - rows * kRowBytes) / kParagraphBytes);
        const QByteArray html = makeCapturePage(paragraphs, rows, target);
        const QString path =
            QDir(folder).filePath(QStringLiteral("pagina-%1.html").arg(i + 1, 3, 10, QChar(u'0')));
        QFile file(path);
        require(file.open(QIODevice::WriteOnly) && file.write(html) == html.size(),
                "cannot write " + path.toStdString());
        paths_ << path;
        smallest_ = std::min(smallest_, html.size());
        largest_ = std::max(largest_, html.size());
        total_ += html.size();
    }
}

QString PageSet::textFile(const QString& folder, const QString& page) {
    return QDir(folder).filePath(QFileInfo(page).completeBaseName() + QStringLiteral(".txt"));
}

void PageSet::checkTexts(const QString& folder, const QString& run) const {
    for (const QString& page : paths_) {
        const QString path = textFile(folder, page);
        QFile file(path);
        require(file.open(QIODevice::ReadOnly),
                run.toStdString() + ": no text saved for " + page.toStdString());
        const QByteArray text = file.readAll();
        require(!text.isEmpty(),
                run.toStdString() + ": the text of " + page.toStdString() + " is empty");
        require(text.contains(kLastParagraph), run.toStdString() + ": the text of " +
                                                   page.toStdString() + " is not the whole page");
    }
}

} // namespace velcaro::bench
