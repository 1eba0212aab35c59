#pragma once

#include "rtf/css_style.h"

#include <cstdint>
#include <string_view>

namespace velcaro::rtf {

// How an HTML element takes part in the text flow.
enum class ElementKind : uint8_t { Inline, Block, Paragraph, ListItem, Row, Cell, Skip, LineBreak };

// What an element is without any style: the browser's default style sheet, for the
// properties the engine leaves out of its inline styles.
struct TagDefaults {
    ElementKind kind;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int8_t vertical = 0;
    bool monospace = false;
    bool preserve = false;
    double sizeFactor = 0;
    int heading = 0;
};

// The defaults of a tag (lower case), or nullptr for a tag that is an unstyled inline element.
const TagDefaults* tagDefaults(std::string_view tag);

// How an element of `kind` takes part in the text flow under the CSS `display` of its style.
// `display: none` leaves the kind as it is: the element is hidden, which the caller records.
ElementKind displayedKind(ElementKind kind, CssStyle::Display display);

} // namespace velcaro::rtf
