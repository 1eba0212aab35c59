#pragma once

#include <QByteArray>
#include <functional>

namespace velcaro::rtf {

// Collapses the white space of the UTF-8 text [p, end) as a browser does for `white-space:
// normal`, appending the words to `words`: a run of spaces, tabs and line ends becomes one
// space, written only before the next word and never at the start of a line. `lineHasText`
// says whether the line already has text; `pendingSpace` carries a space still waiting for a
// word from one call to the next.
void collapseWhiteSpace(const char* p, const char* end, bool lineHasText, bool& pendingSpace,
                        QByteArray& words);

// Splits the text [p, end) at its line ends (LF, CR or CRLF), for text whose lines are kept:
// calls `line` with each line's bytes, and `lineEnd` after each line end.
void forEachLine(const char* p, const char* end,
                 const std::function<void(const char*, const char*)>& line,
                 const std::function<void()>& lineEnd);

} // namespace velcaro::rtf
