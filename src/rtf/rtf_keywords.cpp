#include "rtf/rtf_keywords.h"

#include <cstdint>
#include <unordered_map>

namespace velcaro::rtf {
namespace {

using K = Keyword;

const std::unordered_map<std::string_view, Keyword>& keywordTable() {
    static const std::unordered_map<std::string_view, Keyword> table = {
        {"fonttbl", K::FontTable},
        {"colortbl", K::ColorTable},
        {"stylesheet", K::StyleSheet},
        {"fldinst", K::FieldInst},
        {"fldrslt", K::FieldResult},
        {"listtable", K::ListTable},
        {"listoverridetable", K::ListOverrideTable},
        {"list", K::List},
        {"listlevel", K::ListLevel},
        {"pn", K::Pn},
        // destinations whose content is not text of the document
        {"info", K::SkippedDestination},
        {"pict", K::SkippedDestination},
        {"object", K::SkippedDestination},
        {"header", K::SkippedDestination},
        {"headerl", K::SkippedDestination},
        {"headerr", K::SkippedDestination},
        {"headerf", K::SkippedDestination},
        {"footer", K::SkippedDestination},
        {"footerl", K::SkippedDestination},
        {"footerr", K::SkippedDestination},
        {"footerf", K::SkippedDestination},
        {"footnote", K::SkippedDestination},
        {"pntext", K::SkippedDestination},
        {"listtext", K::SkippedDestination},
        {"pntxta", K::SkippedDestination},
        {"pntxtb", K::SkippedDestination},
        {"leveltext", K::SkippedDestination},
        {"levelnumbers", K::SkippedDestination},
        {"listname", K::SkippedDestination},
        {"nonesttables", K::SkippedDestination},
        {"nonshppict", K::SkippedDestination},
        {"shp", K::SkippedDestination},
        {"shpinst", K::SkippedDestination},
        {"revtbl", K::SkippedDestination},
        {"rsidtbl", K::SkippedDestination},
        {"xmlnstbl", K::SkippedDestination},
        {"filetbl", K::SkippedDestination},
        {"template", K::SkippedDestination},
        {"annotation", K::SkippedDestination},
        {"atnid", K::SkippedDestination},
        {"atnauthor", K::SkippedDestination},
        {"txe", K::SkippedDestination},
        {"bkmkstart", K::SkippedDestination},
        {"bkmkend", K::SkippedDestination},
        {"upr", K::SkippedDestination},
        {"objdata", K::SkippedDestination},
        {"themedata", K::SkippedDestination},
        {"datastore", K::SkippedDestination},
        {"colorschememapping", K::SkippedDestination},
        {"latentstyles", K::SkippedDestination},
        {"falt", K::SkippedDestination},
        {"panose", K::SkippedDestination},
        {"ansi", K::Ansi},
        {"mac", K::Mac},
        {"pc", K::Pc},
        {"pca", K::Pca},
        {"ansicpg", K::AnsiCodePage},
        {"deff", K::DefaultFont},
        {"uc", K::Uc},
        {"u", K::U},
        {"fcharset", K::Charset},
        {"cpg", K::CodePage},
        {"red", K::Red},
        {"green", K::Green},
        {"blue", K::Blue},
        {"cs", K::CharStyle},
        {"ds", K::CharStyle},
        {"ts", K::CharStyle},
        {"listid", K::ListId},
        {"levelnfc", K::LevelNfc},
        {"levelnfcn", K::LevelNfc},
        {"ls", K::Ls},
        {"ilvl", K::Ilvl},
        {"pnlvlblt", K::PnBullet},
        {"pndec", K::PnDecimal},
        {"pnlcltr", K::PnLowerAlpha},
        {"pnucltr", K::PnUpperAlpha},
        {"pnlcrm", K::PnLowerRoman},
        {"pnucrm", K::PnUpperRoman},
        {"pnlvl", K::PnLevel},
        {"plain", K::Plain},
        {"b", K::Bold},
        {"i", K::Italic},
        {"ul", K::Underline},
        {"uld", K::Underline},
        {"uldash", K::Underline},
        {"uldashd", K::Underline},
        {"uldashdd", K::Underline},
        {"uldb", K::Underline},
        {"ulth", K::Underline},
        {"ulw", K::Underline},
        {"ulwave", K::Underline},
        {"ulnone", K::UnderlineNone},
        {"strike", K::Strike},
        {"striked", K::Strike},
        {"super", K::Super},
        {"sub", K::Sub},
        {"nosupersub", K::NoSuperSub},
        {"f", K::Font},
        {"fs", K::FontSize},
        {"cf", K::Color},
        {"cb", K::Background},
        {"highlight", K::Background},
        {"chcbpat", K::Background},
        {"v", K::Hidden},
        {"pard", K::Pard},
        {"par", K::Par},
        {"sect", K::Par},
        {"line", K::Line},
        {"tab", K::Tab},
        {"ql", K::AlignLeft},
        {"qc", K::AlignCenter},
        {"qr", K::AlignRight},
        {"qj", K::AlignJustify},
        {"qd", K::AlignJustify},
        {"li", K::LeftIndent},
        {"lin", K::LeftIndent},
        {"ri", K::RightIndent},
        {"rin", K::RightIndent},
        {"fi", K::FirstIndent},
        {"sb", K::SpaceBefore},
        {"sa", K::SpaceAfter},
        {"outlinelevel", K::OutlineLevel},
        {"s", K::Style},
        {"rtlpar", K::RtlPar},
        {"ltrpar", K::LtrPar},
        {"intbl", K::InTable},
        {"itap", K::Itap},
        {"trowd", K::RowDefaults},
        {"cellx", K::CellX},
        {"cell", K::Cell},
        {"row", K::Row},
        {"nestcell", K::NestCell},
        {"nestrow", K::NestRow},
        {"emdash", K::EmDash},
        {"endash", K::EnDash},
        {"emspace", K::EmSpace},
        {"enspace", K::EnSpace},
        {"qmspace", K::QmSpace},
        {"bullet", K::Bullet},
        {"lquote", K::LQuote},
        {"rquote", K::RQuote},
        {"ldblquote", K::LDblQuote},
        {"rdblquote", K::RDblQuote},
        {"zwj", K::Zwj},
        {"zwnj", K::Zwnj},
        {"ltrmark", K::LtrMark},
        {"rtlmark", K::RtlMark},
    };
    return table;
}

uint32_t hashWord(std::string_view word) {
    uint32_t h = 2166136261u;
    for (char c : word)
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
}

// An open-addressing copy of the table: control words are looked up hundreds of thousands of
// times per document.
class KeywordIndex {
public:
    KeywordIndex() {
        for (const auto& [word, keyword] : keywordTable()) {
            uint32_t slot = hashWord(word) & kMask;
            while (!slots_[slot].word.empty())
                slot = (slot + 1) & kMask;
            slots_[slot] = {word, keyword};
        }
    }
    Keyword find(std::string_view word) const {
        for (uint32_t slot = hashWord(word) & kMask;; slot = (slot + 1) & kMask) {
            const Slot& s = slots_[slot];
            if (s.word.empty())
                return Keyword::Unknown;
            if (s.word == word)
                return s.keyword;
        }
    }

private:
    static constexpr uint32_t kMask = 1023;
    struct Slot {
        std::string_view word;
        Keyword keyword = Keyword::Unknown;
    };
    Slot slots_[kMask + 1];
};

} // namespace

Keyword lookupKeyword(std::string_view word) {
    static const KeywordIndex index;
    return index.find(word);
}

} // namespace velcaro::rtf
