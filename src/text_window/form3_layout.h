#pragma once

#include "platform/twips_rect.h"

// The captured-text window as designed, in twips: the Qt window and the tests' fakes are
// built from the same numbers.
namespace velcaro::form3_layout {

constexpr float kClientWidth = 9795;
constexpr float kClientHeight = 6555;
// The controls' font size in points (11 pixels at 96 DPI), in the system's font family.
constexpr double kFontSize = 8.25;
constexpr TwipsRect kRichTextBox1{30, 390, 9705, 6105};
constexpr TwipsRect kCommand1{8895, 30, 825, 330};
constexpr TwipsRect kCommand2{5745, 30, 1575, 330};
constexpr TwipsRect kCommand3{7305, 30, 1575, 330};

} // namespace velcaro::form3_layout
