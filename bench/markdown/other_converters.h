#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace velcaro::bench {

// One document converted to Markdown, and the seconds the conversion itself took.
struct Conversion {
    bool ok = false;
    QString markdown;
    double seconds = 0;
};

// The converters ours is measured against, each run as a black box on the same HTML.

// `pandoc -f html -t gfm`, one process per document; a document's seconds are its run's less
// those of an empty document's run (the program's start).
std::vector<Conversion> convertWithPandoc(const std::vector<QByteArray>& documents);

// Debian's node-turndown under node, with ATX headings, fenced code blocks, `-` bullets and `*`
// emphasis; all documents in one process, a document's seconds the best of three conversions
// timed inside node.
std::vector<Conversion> convertWithTurndown(const std::vector<QByteArray>& documents);

} // namespace velcaro::bench
