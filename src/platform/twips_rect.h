#pragma once

namespace velcaro {

// A control's designed place in its window's client area, in twips.
struct TwipsRect {
    float left;
    float top;
    float width;
    float height;
};

} // namespace velcaro
