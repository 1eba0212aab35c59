#pragma once

namespace velcaro::rtf {

// Whether a QTextDocument takes `c` as structure rather than text: a newline, a carriage
// return or a paragraph separator ends its block, and the non-characters U+FDD0 to U+FDD2 are
// kept as markers (U+FDD0 and U+FDD1 bound its frames).
constexpr bool isTextStructure(char16_t c) {
    return c == u'\n' || c == u'\r' || c == 0x2029 || (c >= 0xFDD0 && c <= 0xFDD2);
}

} // namespace velcaro::rtf
