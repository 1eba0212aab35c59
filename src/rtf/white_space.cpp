#include "rtf/white_space.h"

namespace velcaro::rtf {
namespace {

bool isCollapsibleSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

} // namespace

void collapseWhiteSpace(const char* p, const char* end, bool lineHasText, bool& pendingSpace,
                        QByteArray& words) {
    const qsizetype before = words.size();
    while (p < end) {
        if (isCollapsibleSpace(*p)) {
            while (p < end && isCollapsibleSpace(*p))
                ++p;
            if (lineHasText || words.size() > before)
                pendingSpace = true;
            continue;
        }
        const char* word = p;
        while (p < end && !isCollapsibleSpace(*p))
            ++p;
        if (pendingSpace) {
            words += ' ';
            pendingSpace = false;
        }
        words.append(word, p - word);
    }
}

} // namespace velcaro::rtf
