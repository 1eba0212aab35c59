#pragma once

#include <QString>
#include <QStringList>

namespace velcaro::markdown::test {

// The HTML that `cmark-gfm -e table` makes of `markdown`, or a null string when it cannot run.
// With `rawHtml`, HTML written in the Markdown is passed through (--unsafe); without, cmark-gfm
// leaves it out.
QString renderMarkdown(const QString& markdown, bool rawHtml = false);

// The text a browser shows for rendered HTML, enough to compare words: each block's tags end a
// line, other tags go, an image is its alternative text, character references are decoded.
QString textOfHtml(const QString& html);

// The words of a text: its runs of Unicode word characters (\w+).
QStringList wordsOf(const QString& text);

} // namespace velcaro::markdown::test
