#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <vector>

namespace velcaro::bench {

// One page of the second main-text corpus (corpus/README.md), unpacked: the passages its main
// text must hold and those it must not.
struct CorpusPage {
    QString id;
    // Where it is served to the browser.
    QString address;
    // ISO 639-1 of its main text.
    QString language;
    // news, blog, documentation...
    QString kind;
    QStringList must;
    QStringList mustNot;
    // The unpacked page.
    QString path;
};

// The folders of the corpus's pages: the repository's, then those named in
// VELCARO_MAINTEXT_CORPUS (separated by ':').
QStringList corpusFolders();

// The pages of `folders` (each page a `<id>.json` beside its `<id>.html.gz`) whose id matches
// `filter`, unpacked into `folder`, in the order of their ids. A page that cannot be read, or
// whose id or address an earlier page has, is left out with a line in `problems`.
std::vector<CorpusPage> loadCorpusPages(const QStringList& folders,
                                        const QRegularExpression& filter, const QString& folder,
                                        QStringList& problems);

} // namespace velcaro::bench
