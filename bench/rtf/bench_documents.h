#pragma once

#include <QByteArray>

class QTextDocument;

namespace velcaro::rtf::bench {

// A document of about `textBytes` of text: paragraphs of about 500 characters with a few
// formatted phrases each (bold, italic, underline, colours, sizes, fonts), Italian, CJK, Greek
// and emoji words, headings, a table of `tableRows` rows in its middle and a bulleted list
// of one item per KB of text (a long page's references) near its end.
void makeDocument(QTextDocument& doc, qsizetype textBytes, int tableRows);

// The same kind of content as the engine copies it to the clipboard: every element carries
// its computed style inline, a `tableRows` table, a list of one item per 3 KB. About
// `htmlBytes` long.
QByteArray makeEngineHtml(qsizetype htmlBytes, int tableRows);

} // namespace velcaro::rtf::bench
