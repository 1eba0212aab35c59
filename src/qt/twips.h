#pragma once

#include "platform/twips_rect.h"

#include <QRect>

namespace velcaro {

// Twips are 1/1440 of a logical inch; at 96 DPI a pixel is 15 twips. The handlers work in
// twips, only the Qt bindings see pixels.
struct Twips {
    static double perPixel();
    static int toPixels(double twips);
    static double fromPixels(int pixels);
    // A control's rectangle in its window's pixels; a negative size is an empty one.
    static QRect toPixels(const TwipsRect& rect);
};

} // namespace velcaro
