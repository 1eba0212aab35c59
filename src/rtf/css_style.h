#pragma once

#include <QRgb>
#include <QString>
#include <cstdint>
#include <string_view>

namespace velcaro::rtf {

// The few CSS properties of an inline style attribute that matter for text and its
// formatting, as the web engine writes them on every element it copies. A field the style
// does not set keeps its "unset" value.
struct CssStyle {
    enum class Tri : int8_t { Unset = -1, No = 0, Yes = 1 };
    enum class Display : int8_t { Unset, None, Inline, Block, ListItem, TableRow, TableCell };
    enum class WhiteSpace : int8_t { Unset, Collapse, Preserve, PreserveLines };

    Tri bold = Tri::Unset;
    Tri italic = Tri::Unset;
    Tri underline = Tri::Unset;
    Tri strike = Tri::Unset;
    Tri hidden = Tri::Unset; // visibility
    int8_t vertical = 0;     // 1 super, -1 sub, 0 unset or baseline
    int8_t align = -1;       // -1 unset, else the value of velcaro::rtf::Align
    Display display = Display::Unset;
    WhiteSpace whiteSpace = WhiteSpace::Unset;
    bool hasColor = false;
    bool hasBackground = false; // a transparent background counts as none
    QRgb color = 0;
    QRgb background = 0;
    // Font size: absolute in points when sizePoints > 0, relative to the parent when
    // sizeFactor > 0.
    double sizePoints = 0;
    double sizeFactor = 0;
    std::string_view family; // first family, unquoted; points into the parsed text
    // A flex or grid container (display: flex, grid, their inline forms, or the old -webkit-box):
    // the browser lays each child out as a block.
    bool flexContainer = false;
    bool floating = false;   // float: left or right
    bool positioned = false; // position: absolute or fixed
};

// Parses a style attribute ("name: value; ..."), UTF-8. Unknown properties are ignored.
CssStyle parseInlineStyle(std::string_view style);

// A CSS colour: #rgb, #rrggbb, rgb(), rgba() or a basic name. Returns false for transparent
// or unknown values.
bool parseCssColor(std::string_view value, QRgb& rgb);

} // namespace velcaro::rtf
