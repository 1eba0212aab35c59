// libFuzzer target: any style attribute and colour value must parse without a crash or a
// sanitizer report, and what comes out must be usable as it is: the family a part of the
// input, sizes positive and bounded, the alignment one the writer knows, colours opaque.
#include "rtf/css_style.h"
#include "rtf/rtf_format.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    using velcaro::rtf::CssStyle;
    const CssStyle style = velcaro::rtf::parseInlineStyle(input);
    if (!style.family.empty()) {
        require(style.family.data() >= input.data());
        require(style.family.data() + style.family.size() <= input.data() + input.size());
    }
    require(style.sizePoints == 0 || (style.sizePoints > 0 && style.sizePoints <= 1600));
    require(style.sizeFactor == 0 || (style.sizeFactor > 0 && style.sizeFactor <= 1600));
    require(style.align >= -1 && style.align <= static_cast<int>(velcaro::rtf::Align::Justify));
    require(style.vertical >= -1 && style.vertical <= 1);
    QRgb rgb = 0;
    if (velcaro::rtf::parseCssColor(input, rgb))
        require(qAlpha(rgb) == 255); // the RTF colour table has no alpha
    return 0;
}
