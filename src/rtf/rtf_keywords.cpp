#include "rtf/rtf_keywords.h"

#include "rtf/rtf_format.h"

#include <array>
#include <cstdint>
#include <iterator>

namespace velcaro::rtf {
namespace {

using D = Destination;
using K = Keyword;
using P = Property;

constexpr KeywordEntry destination(std::string_view word, Destination destination) {
    return {word, KeywordKind::Destination, K::None, P::None, destination};
}

// A destination whose content is not text of the document.
constexpr KeywordEntry skipped(std::string_view word) {
    return destination(word, D::Skip);
}

constexpr KeywordEntry symbol(std::string_view word, char16_t character) {
    return {word, KeywordKind::Symbol, K::None, P::None, D::Text, character};
}

constexpr KeywordEntry toggle(std::string_view word, Property property, int on = 1) {
    return {word, KeywordKind::Toggle, K::None, property, D::Text, on};
}

constexpr KeywordEntry flag(std::string_view word, Property property, int value) {
    return {word, KeywordKind::Flag, K::None, property, D::Text, value};
}

constexpr KeywordEntry value(std::string_view word, Property property, Keyword keyword = K::None) {
    return {word, KeywordKind::Value, keyword, property};
}

constexpr KeywordEntry command(std::string_view word, Keyword keyword) {
    return {word, KeywordKind::Command, keyword};
}

constexpr KeywordEntry header(std::string_view word, Keyword keyword) {
    return {word, KeywordKind::Header, keyword};
}

constexpr int align(Align a) {
    return static_cast<int>(a);
}

constexpr KeywordEntry kKeywords[] = {
    // destinations
    destination("fonttbl", D::FontTable),
    destination("colortbl", D::ColorTable),
    destination("stylesheet", D::StyleSheet),
    destination("fldinst", D::FieldInst),
    destination("fldrslt", D::Text),
    destination("listtable", D::ListTable),
    destination("listoverridetable", D::ListOverrideTable),
    destination("pn", D::PnDef),
    skipped("info"),
    skipped("pict"),
    skipped("object"),
    skipped("header"),
    skipped("headerl"),
    skipped("headerr"),
    skipped("headerf"),
    skipped("footer"),
    skipped("footerl"),
    skipped("footerr"),
    skipped("footerf"),
    skipped("footnote"),
    skipped("pntext"),
    skipped("listtext"),
    skipped("pntxta"),
    skipped("pntxtb"),
    skipped("leveltext"),
    skipped("levelnumbers"),
    skipped("listname"),
    skipped("nonesttables"),
    skipped("nonshppict"),
    skipped("shp"),
    skipped("shpinst"),
    skipped("revtbl"),
    skipped("rsidtbl"),
    skipped("xmlnstbl"),
    skipped("filetbl"),
    skipped("template"),
    skipped("annotation"),
    skipped("atnid"),
    skipped("atnauthor"),
    skipped("txe"),
    skipped("bkmkstart"),
    skipped("bkmkend"),
    skipped("upr"),
    skipped("objdata"),
    skipped("themedata"),
    skipped("datastore"),
    skipped("colorschememapping"),
    skipped("latentstyles"),
    skipped("falt"),
    skipped("panose"),
    // document
    flag("ansi", P::CodePage, 1252),
    flag("mac", P::CodePage, 10000),
    flag("pc", P::CodePage, 437),
    flag("pca", P::CodePage, 850),
    value("ansicpg", P::CodePage),
    value("deff", P::DefaultFont),
    command("uc", K::Uc),
    command("u", K::U),
    // font and colour tables, styles, lists
    header("fcharset", K::Charset),
    header("cpg", K::CodePage),
    header("red", K::Red),
    header("green", K::Green),
    header("blue", K::Blue),
    header("cs", K::CharStyle),
    header("ds", K::CharStyle),
    header("ts", K::CharStyle),
    header("list", K::List),
    header("listlevel", K::ListLevel),
    header("listid", K::ListId),
    header("levelnfc", K::LevelNfc),
    header("levelnfcn", K::LevelNfc),
    header("pnlvlblt", K::PnBullet),
    header("pndec", K::PnDecimal),
    header("pnlcltr", K::PnLowerAlpha),
    header("pnucltr", K::PnUpperAlpha),
    header("pnlcrm", K::PnLowerRoman),
    header("pnucrm", K::PnUpperRoman),
    header("pnlvl", K::PnLevel),
    // characters
    command("plain", K::Plain),
    toggle("b", P::Bold),
    toggle("i", P::Italic),
    toggle("ul", P::Underline),
    toggle("uld", P::Underline),
    toggle("uldash", P::Underline),
    toggle("uldashd", P::Underline),
    toggle("uldashdd", P::Underline),
    toggle("uldb", P::Underline),
    toggle("ulth", P::Underline),
    toggle("ulw", P::Underline),
    toggle("ulwave", P::Underline),
    flag("ulnone", P::Underline, 0),
    toggle("strike", P::Strike),
    toggle("striked", P::Strike),
    toggle("super", P::Vertical, 1),
    toggle("sub", P::Vertical, -1),
    flag("nosupersub", P::Vertical, 0),
    value("f", P::Font, K::Font),
    value("fs", P::FontSize),
    value("cf", P::Color),
    value("cb", P::Background),
    value("highlight", P::Background),
    value("chcbpat", P::Background),
    toggle("v", P::Hidden),
    // paragraphs
    command("pard", K::Pard),
    command("par", K::Par),
    command("sect", K::Par),
    flag("ql", P::Align, align(Align::Left)),
    flag("qc", P::Align, align(Align::Center)),
    flag("qr", P::Align, align(Align::Right)),
    flag("qj", P::Align, align(Align::Justify)),
    flag("qd", P::Align, align(Align::Justify)),
    value("li", P::LeftIndent),
    value("lin", P::LeftIndent),
    value("ri", P::RightIndent),
    value("rin", P::RightIndent),
    value("fi", P::FirstIndent),
    value("sb", P::SpaceBefore),
    value("sa", P::SpaceAfter),
    value("outlinelevel", P::OutlineLevel, K::OutlineLevel),
    value("s", P::Style, K::Style),
    flag("rtlpar", P::RightToLeft, 1),
    flag("ltrpar", P::RightToLeft, 0),
    value("ls", P::ListOverride, K::Ls),
    value("ilvl", P::ListLevel),
    // tables; nested tables are flattened into paragraphs of the outer cell
    flag("intbl", P::InTable, 1),
    value("itap", P::InTable),
    command("trowd", K::RowDefaults),
    command("cellx", K::CellX),
    command("cell", K::Cell),
    command("row", K::Row),
    command("nestcell", K::Par),
    command("nestrow", K::Par),
    // characters that have a word of their own
    symbol("line", 0x2028),
    symbol("tab", u'\t'),
    symbol("emdash", 0x2014),
    symbol("endash", 0x2013),
    symbol("emspace", 0x2003),
    symbol("enspace", 0x2002),
    symbol("qmspace", 0x2005),
    symbol("bullet", 0x2022),
    symbol("lquote", 0x2018),
    symbol("rquote", 0x2019),
    symbol("ldblquote", 0x201C),
    symbol("rdblquote", 0x201D),
    symbol("zwj", 0x200D),
    symbol("zwnj", 0x200C),
    symbol("ltrmark", 0x200E),
    symbol("rtlmark", 0x200F),
};

constexpr uint32_t hashWord(std::string_view word) {
    uint32_t h = 2166136261u;
    for (char c : word)
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
}

// An index of the table by word, built by the compiler, one byte a slot: control words are
// looked up hundreds of thousands of times per document. One-letter words (\u above all) are
// found by their letter, the others by open addressing.
struct KeywordIndex {
    static constexpr uint32_t kMask = 1023;
    static constexpr uint8_t kEmpty = 255;
    static_assert(std::size(kKeywords) < kEmpty, "a slot holds a row's number in one byte");

    std::array<uint8_t, 128> letters{};
    std::array<uint8_t, kMask + 1> slots{};

    constexpr KeywordIndex() {
        for (auto& i : letters)
            i = kEmpty;
        for (auto& i : slots)
            i = kEmpty;
        for (uint8_t i = 0; i < std::size(kKeywords); ++i) {
            const std::string_view word = kKeywords[i].word;
            if (word.size() == 1) {
                letters[static_cast<unsigned char>(word[0]) & 127] = i;
                continue;
            }
            uint32_t slot = hashWord(word) & kMask;
            while (slots[slot] != kEmpty)
                slot = (slot + 1) & kMask;
            slots[slot] = i;
        }
    }
};

constexpr KeywordIndex kIndex;

// Out of line, so that the one-letter path of findKeyword saves no registers.
[[gnu::noinline]] const KeywordEntry* findLongKeyword(std::string_view word) {
    for (uint32_t slot = hashWord(word) & kIndex.kMask;; slot = (slot + 1) & kIndex.kMask) {
        const uint8_t i = kIndex.slots[slot];
        if (i == kIndex.kEmpty)
            return nullptr;
        if (kKeywords[i].word == word)
            return &kKeywords[i];
    }
}

} // namespace

const KeywordEntry* findKeyword(std::string_view word) {
    if (word.size() != 1)
        return findLongKeyword(word);
    const uint8_t i = kIndex.letters[static_cast<unsigned char>(word[0]) & 127];
    return i == kIndex.kEmpty ? nullptr : &kKeywords[i];
}

} // namespace velcaro::rtf
