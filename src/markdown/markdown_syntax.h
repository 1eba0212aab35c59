#pragma once

#include <QString>
#include <QStringView>

namespace velcaro::markdown {

// Appends `text` to `out` with every character a Markdown inline parser would read as syntax
// escaped by a backslash: \ * ` [ ] < | ~, a _ not inside a word, and an & that starts what
// looks like a character reference. What only starts a block is left to escapeLineStart.
void appendEscaped(QString& out, QStringView text);

// Escapes, in `line` from `at` on, what would make a line of text the start of a block: a
// heading's #, a list's - + or "1." / "1)", a quote's >, a setext underline's =.
void escapeLineStart(QString& line, qsizetype at = 0);

// A code span holding `code` literally: a backtick fence longer than any run of backticks in
// it, padded by a space where it starts or ends with a backtick. In a table cell, | is escaped
// (a table splits its cells before reading code spans).
QString codeSpan(QStringView code, bool inTable);

// The fence of a fenced code block holding `code`: at least three backticks, more than any run
// of backticks in it.
QString codeFence(QStringView code);

// A link or image destination for an encoded URL: ( ) \ | and a reference-like & escaped.
QString linkDestination(const QByteArray& encodedUrl);

// The character classes of emphasis: whether a delimiter run next to `c` (0 for the start or
// end of the line) has white space there, and whether `c` is punctuation for every version of
// the grammar (ASCII and Unicode punctuation) or only for some (symbols, which the newer
// grammar counts as punctuation).
bool isEmphasisSpace(char32_t c);
bool isSurePunctuation(char32_t c);
bool isMaybePunctuation(char32_t c);

// The first and last code points of a non-empty string.
char32_t firstCodePoint(QStringView s);
char32_t lastCodePoint(QStringView s);

} // namespace velcaro::markdown
