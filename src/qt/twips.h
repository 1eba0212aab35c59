#pragma once

namespace velcaro {

// Twips are 1/1440 of a logical inch; at 96 DPI a pixel is 15 twips. The handlers work in
// twips, only the Qt bindings see pixels.
struct Twips {
    static double perPixel();
    static int toPixels(double twips);
    static double fromPixels(int pixels);
};

} // namespace velcaro
