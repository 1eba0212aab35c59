#include "qt/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace velcaro {

double Twips::perPixel() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

int Twips::toPixels(double twips) {
    return static_cast<int>(std::lround(twips / perPixel()));
}

double Twips::fromPixels(int pixels) {
    return pixels * perPixel();
}

QRect Twips::toPixels(const TwipsRect& rect) {
    return {toPixels(rect.left), toPixels(rect.top), std::max(0, toPixels(rect.width)),
            std::max(0, toPixels(rect.height))};
}

} // namespace velcaro
