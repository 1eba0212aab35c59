#pragma once

#include "platform/twips_rect.h"

// The browser window as designed, in twips: the Qt window and the tests' fakes are built
// from the same numbers.
namespace velcaro::form1_layout {

constexpr float kClientWidth = 11880;
constexpr float kClientHeight = 8190;
// The controls' font size in points (11 pixels at 96 DPI), in the system's font family.
constexpr double kFontSize = 8.25;
constexpr TwipsRect kLabel1{45, 0, 975, 225};
constexpr TwipsRect kText1{1185, 0, 6225, 285};
constexpr TwipsRect kCommand1{8400, 30, 600, 270};
constexpr TwipsRect kCommand2{7485, 15, 600, 270};
// Form_Resize moves the browser below the address row at the first showing.
constexpr TwipsRect kWebBrowser1{30, 300, 750, 120};

} // namespace velcaro::form1_layout
