#pragma once

#include <cstdint>
#include <string_view>

namespace velcaro::rtf {

// What a control word does; the fields of its KeywordEntry that go with each kind say what it
// sets.
enum class KeywordKind : uint8_t {
    Destination, // the group's text goes to `destination`
    Symbol,      // stands for the character `value`
    Toggle,      // sets `property` to `value`, or to 0 with a parameter of 0
    Flag,        // sets `property` to `value`
    Value,       // sets `property` to its parameter
    Command,     // an action of the reader's own, named by `keyword`
    Header,      // read only inside the header tables, by `keyword`
};

// Where the text of a group goes.
enum class Destination : uint8_t {
    Text,
    Skip,
    FontTable,
    ColorTable,
    StyleSheet,
    FieldInst,
    ListTable,
    ListOverrideTable,
    PnDef
};

// The character, paragraph or document property a toggle, flag or value word sets. The
// interpreter brings each value into the range of its property.
enum class Property : uint8_t {
    None,
    Bold,
    Italic,
    Underline,
    Strike,
    Hidden,
    Vertical, // 1 superscript, -1 subscript
    Font,
    FontSize,
    Color,
    Background,
    Align, // an Align
    RightToLeft,
    InTable,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    OutlineLevel,
    Style,
    ListOverride,
    ListLevel,
    CodePage,
    DefaultFont,
};

// The words that the header tables or the interpreter's commands tell apart.
enum class Keyword : uint8_t {
    None,
    // commands
    U,
    Uc,
    Plain,
    Pard,
    Par,
    RowDefaults,
    CellX,
    Cell,
    Row,
    // header tables
    Font,
    Charset,
    CodePage,
    Red,
    Green,
    Blue,
    Style,
    CharStyle,
    OutlineLevel,
    List,
    ListLevel,
    LevelNfc,
    ListId,
    Ls,
    PnBullet,
    PnDecimal,
    PnLowerAlpha,
    PnUpperAlpha,
    PnLowerRoman,
    PnUpperRoman,
    PnLevel,
};

// One row of the keyword table: a control word the reader acts on.
struct KeywordEntry {
    std::string_view word;
    KeywordKind kind;
    Keyword keyword = Keyword::None;
    Property property = Property::None;
    Destination destination = Destination::Text;
    int value = 0;
};

// The entry of a control word, or nullptr for a word the reader ignores (or, after \*, that
// starts a destination to skip).
const KeywordEntry* findKeyword(std::string_view word);

} // namespace velcaro::rtf
