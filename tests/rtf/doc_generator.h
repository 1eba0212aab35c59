#pragma once

#include <QString>
#include <cstdint>

class QTextDocument;

namespace velcaro::rtf::test {

// Fills `doc` with pseudo-random content from `seed`: paragraphs of Italian, CJK, emoji,
// right-to-left and Latin text with tabs, line breaks, special characters and every kind of
// character and paragraph formatting the writer knows, lists, hyperlinks and tables.
void generateDocument(QTextDocument& doc, uint32_t seed, int paragraphs);

} // namespace velcaro::rtf::test
