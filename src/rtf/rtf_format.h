#pragma once

#include <cstdint>

namespace velcaro::rtf {

// Character formatting as RTF sees it: indices point into the font and colour tables of the
// document being written or read (font -1 and colour 0 mean "the default").
struct CharProps {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int8_t vertical = 0; // 1 superscript, -1 subscript
    int font = -1;
    int halfPoints = 0; // 0: the reader's or writer's default size
    int color = 0;
    int background = 0;
    int link = 0; // 1-based index of a hyperlink target, 0 for none

    bool operator==(const CharProps& o) const {
        return bold == o.bold && italic == o.italic && underline == o.underline &&
               strike == o.strike && hidden == o.hidden && vertical == o.vertical &&
               font == o.font && halfPoints == o.halfPoints && color == o.color &&
               background == o.background && link == o.link;
    }
    bool operator!=(const CharProps& o) const { return !(*this == o); }
};

enum class Align : uint8_t { Left, Center, Right, Justify };

enum class ListStyle : uint8_t {
    None,
    Bullet,
    Decimal,
    LowerAlpha,
    UpperAlpha,
    LowerRoman,
    UpperRoman
};

// Paragraph formatting; lengths are in twips (1/1440 inch).
struct ParaProps {
    Align align = Align::Left;
    bool rightToLeft = false;
    bool inTable = false;
    int left = 0;
    int right = 0;
    int firstLine = 0;
    int before = 0;
    int after = 0;
    int headingLevel = 0; // 1..6, 0 for body text
    ListStyle list = ListStyle::None;
    int listLevel = 0; // 0-based
    int listId = 0;    // the \ls of Word 97 lists, 0 otherwise

    bool operator==(const ParaProps& o) const {
        return align == o.align && rightToLeft == o.rightToLeft && inTable == o.inTable &&
               left == o.left && right == o.right && firstLine == o.firstLine &&
               before == o.before && after == o.after && headingLevel == o.headingLevel &&
               list == o.list && listLevel == o.listLevel && listId == o.listId;
    }
    bool operator!=(const ParaProps& o) const { return !(*this == o); }
};

// Qt measures margins in pixels at 96 dpi: 15 twips each.
constexpr int kTwipsPerPixel = 15;

} // namespace velcaro::rtf
