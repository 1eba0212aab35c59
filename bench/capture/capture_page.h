#pragma once

#include <QByteArray>

namespace velcaro::bench {

// A UTF-8 HTML page of about `targetBytes`: `paragraphs` formatted paragraphs (bold,
// italic, links, coloured spans) with Italian accents, CJK and emoji, then a table of
// `rows` rows. Deterministic, so every run measures the same page.
QByteArray makeCapturePage(int paragraphs, int rows, qsizetype targetBytes);

} // namespace velcaro::bench
