#pragma once

#include <QByteArray>

namespace velcaro::rtf {

// Collapses the white space of the UTF-8 text [p, end) as a browser does for `white-space:
// normal`, appending the words to `words`: a run of spaces, tabs and line ends becomes one
// space, written only before the next word and never at the start of a line. `lineHasText`
// says whether the line already has text; `pendingSpace` carries a space still waiting for a
// word from one call to the next.
void collapseWhiteSpace(const char* p, const char* end, bool lineHasText, bool& pendingSpace,
                        QByteArray& words);

} // namespace velcaro::rtf
