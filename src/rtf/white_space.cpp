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

void forEachLine(const char* p, const char* end,
                 const std::function<void(const char*, const char*)>& line,
                 const std::function<void()>& lineEnd) {
    while (p < end) {
        const char* start = p;
        while (p < end && *p != '\n' && *p != '\r')
            ++p;
        line(start, p);
        if (p < end) {
            if (*p == '\r' && p + 1 < end && p[1] == '\n')
                ++p;
            ++p;
            lineEnd();
        }
    }
}

} // namespace velcaro::rtf
