#pragma once

#include <QString>
#include <QStringList>

namespace velcaro::bench {

// The pages the benchmark captures: generated HTML files, and the check that a capture
// saved the text of each.
class PageSet {
public:
    static constexpr int kPages = 200;
    static constexpr qsizetype kSmallest = 20 * 1024;
    static constexpr qsizetype kLargest = 200 * 1024;

    // Writes pagina-001.html to pagina-200.html into `folder`: formatted paragraphs with
    // accents, CJK and emoji, and a table, of sizes spread evenly over kSmallest to
    // kLargest in a fixed shuffled order. The same pages at every run.
    explicit PageSet(const QString& folder);

    const QStringList& paths() const { return paths_; }
    qsizetype smallestBytes() const { return smallest_; }
    qsizetype largestBytes() const { return largest_; }
    qsizetype totalBytes() const { return total_; }

    // The text file a capture into `folder` saves for `page`: its name, with ".txt".
    static QString textFile(const QString& folder, const QString& page);
    // Throws unless every page's text file is in `folder`, non-empty and holding the page's
    // last paragraph; `run` names the capture in the message.
    void checkTexts(const QString& folder, const QString& run) const;

private:
    QStringList paths_;
    qsizetype smallest_ = 0;
    qsizetype largest_ = 0;
    qsizetype total_ = 0;
};

} // namespace velcaro::bench
