#include "rtf/rtf_interpreter.h"

#include "rtf/code_pages.h"
#include "rtf/field_instruction.h"

namespace velcaro::rtf {
namespace {

// Paragraph and character lengths arrive as any int; keep them in a sane range.
int clampTwips(int value) {
    return qBound(-31680, value, 31680);
}

} // namespace

RtfInterpreter::RtfInterpreter(QTextDocument& doc) : header_(tables_), builder_(doc, tables_) {
    stack_.reserve(64);
    stack_.push_back(Group());
    top().chr = defaultChar();
}

CharProps RtfInterpreter::defaultChar() const {
    CharProps c;
    c.font = defaultFont_;
    c.halfPoints = 24;
    return c;
}

void RtfInterpreter::groupStart() {
    skip_ = 0;
    afterStar_ = false;
    if (stack_.size() >= kMaxDepth) {
        ++overflow_;
        return;
    }
    stack_.push_back(stack_.back());
}

bool RtfInterpreter::groupEnd() {
    skip_ = 0;
    afterStar_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return true;
    }
    if (stack_.size() <= 2)
        return false; // the document's own group closes: whatever follows is not part of it
    const Dest closed = top().dest;
    stack_.pop_back();
    const Dest parent = top().dest;
    if (closed == parent)
        return true;
    switch (closed) {
    case Dest::FontTable:
        header_.endFontTable();
        builder_.tablesChanged();
        break;
    case Dest::ColorTable:
        builder_.tablesChanged();
        break;
    case Dest::FieldInst:
        finishFieldInstruction();
        break;
    case Dest::PnDef:
        if (parent == Dest::Text)
            header_.applyPn(top().para);
        break;
    default:
        break;
    }
    return true;
}

bool RtfInterpreter::consumeSkip() {
    if (skip_ <= 0)
        return false;
    --skip_;
    return true;
}

void RtfInterpreter::controlWord(std::string_view word, bool hasParam, int param) {
    const bool afterStar = afterStar_;
    afterStar_ = false;
    if (consumeSkip())
        return;
    Group& g = top();
    if (g.dest == Dest::Skip)
        return;
    const Keyword k = word.size() == 1 && word[0] == 'u' ? Keyword::U : lookupKeyword(word);
    switch (k) {
    case Keyword::Unknown:
        if (afterStar)
            g.dest = Dest::Skip;
        return;
    case Keyword::SkippedDestination:
        g.dest = Dest::Skip;
        return;
    case Keyword::FontTable:
        g.dest = Dest::FontTable;
        return;
    case Keyword::ColorTable:
        g.dest = Dest::ColorTable;
        header_.startColorTable();
        return;
    case Keyword::StyleSheet:
        g.dest = Dest::StyleSheet;
        return;
    case Keyword::FieldInst:
        g.dest = Dest::FieldInst;
        fieldInst_.clear();
        return;
    case Keyword::FieldResult:
        g.dest = Dest::Text;
        return;
    case Keyword::ListTable:
        g.dest = Dest::ListTable;
        return;
    case Keyword::ListOverrideTable:
        g.dest = Dest::ListOverrideTable;
        return;
    case Keyword::Pn:
        if (g.dest == Dest::Text) {
            g.dest = Dest::PnDef;
            header_.startPn();
        }
        return;
    case Keyword::U:
        if (hasParam) {
            int value = param < 0 ? param + 65536 : param;
            if (value < 0 || value > 0xFFFF)
                value = 0xFFFD;
            if (value != 0)
                character(static_cast<char16_t>(value));
            skip_ = g.ucSkip;
        }
        return;
    case Keyword::Uc:
        g.ucSkip = static_cast<unsigned char>(qBound(0, param, 10));
        return;
    default:
        break;
    }
    switch (g.dest) {
    case Dest::FontTable:
        header_.fontWord(k, param);
        return;
    case Dest::ColorTable:
        header_.colorWord(k, param);
        return;
    case Dest::StyleSheet:
        header_.styleWord(k, param);
        return;
    case Dest::ListTable:
        header_.listWord(k, param);
        return;
    case Dest::ListOverrideTable:
        header_.listOverrideWord(k, param);
        return;
    case Dest::PnDef:
        header_.pnWord(k, param);
        return;
    case Dest::FieldInst:
    case Dest::Skip:
        return;
    case Dest::Text:
        textWord(k, hasParam, param);
        return;
    }
}

void RtfInterpreter::textWord(Keyword k, bool hasParam, int param) {
    Group& g = top();
    CharProps& c = g.chr;
    ParaProps& p = g.para;
    const bool on = !hasParam || param != 0;
    switch (k) {
    case Keyword::Ansi:
        tables_.codePage = 1252;
        builder_.tablesChanged();
        break;
    case Keyword::Mac:
        tables_.codePage = 10000;
        builder_.tablesChanged();
        break;
    case Keyword::Pc:
        tables_.codePage = 437;
        builder_.tablesChanged();
        break;
    case Keyword::Pca:
        tables_.codePage = 850;
        builder_.tablesChanged();
        break;
    case Keyword::AnsiCodePage:
        if (param > 0)
            tables_.codePage = param;
        builder_.tablesChanged();
        break;
    case Keyword::DefaultFont:
        defaultFont_ = param;
        c.font = param;
        break;
    case Keyword::Plain:
        c = defaultChar();
        break;
    case Keyword::Bold:
        c.bold = on;
        break;
    case Keyword::Italic:
        c.italic = on;
        break;
    case Keyword::Underline:
        c.underline = on;
        break;
    case Keyword::UnderlineNone:
        c.underline = false;
        break;
    case Keyword::Strike:
        c.strike = on;
        break;
    case Keyword::Super:
        c.vertical = on ? 1 : 0;
        break;
    case Keyword::Sub:
        c.vertical = on ? -1 : 0;
        break;
    case Keyword::NoSuperSub:
        c.vertical = 0;
        break;
    case Keyword::Font:
        c.font = param;
        break;
    case Keyword::FontSize:
        c.halfPoints = hasParam && param > 0 && param <= 3276 ? param : 24;
        break;
    case Keyword::Color:
        c.color = qMax(0, param);
        break;
    case Keyword::Background:
        c.background = qMax(0, param);
        break;
    case Keyword::Hidden:
        c.hidden = on;
        break;
    case Keyword::Pard:
        p = ParaProps();
        break;
    case Keyword::Par:
        builder_.paragraphBreak(p);
        break;
    case Keyword::Line:
        character(0x2028);
        break;
    case Keyword::Tab:
        character(u'\t');
        break;
    case Keyword::AlignLeft:
        p.align = Align::Left;
        break;
    case Keyword::AlignCenter:
        p.align = Align::Center;
        break;
    case Keyword::AlignRight:
        p.align = Align::Right;
        break;
    case Keyword::AlignJustify:
        p.align = Align::Justify;
        break;
    case Keyword::LeftIndent:
        p.left = clampTwips(param);
        break;
    case Keyword::RightIndent:
        p.right = clampTwips(param);
        break;
    case Keyword::FirstIndent:
        p.firstLine = clampTwips(param);
        break;
    case Keyword::SpaceBefore:
        p.before = clampTwips(param);
        break;
    case Keyword::SpaceAfter:
        p.after = clampTwips(param);
        break;
    case Keyword::OutlineLevel:
        p.headingLevel = param >= 0 && param < 6 ? param + 1 : 0;
        break;
    case Keyword::Style:
        p.headingLevel = header_.headingLevel(param);
        break;
    case Keyword::RtlPar:
        p.rightToLeft = true;
        break;
    case Keyword::LtrPar:
        p.rightToLeft = false;
        break;
    case Keyword::Ls:
        p.listId = param;
        header_.resolveList(p);
        break;
    case Keyword::Ilvl:
        p.listLevel = qBound(0, param, 8);
        header_.resolveList(p);
        break;
    case Keyword::EmDash:
        character(0x2014);
        break;
    case Keyword::EnDash:
        character(0x2013);
        break;
    case Keyword::EmSpace:
        character(0x2003);
        break;
    case Keyword::EnSpace:
        character(0x2002);
        break;
    case Keyword::QmSpace:
        character(0x2005);
        break;
    case Keyword::Bullet:
        character(0x2022);
        break;
    case Keyword::LQuote:
        character(0x2018);
        break;
    case Keyword::RQuote:
        character(0x2019);
        break;
    case Keyword::LDblQuote:
        character(0x201C);
        break;
    case Keyword::RDblQuote:
        character(0x201D);
        break;
    case Keyword::Zwj:
        character(0x200D);
        break;
    case Keyword::Zwnj:
        character(0x200C);
        break;
    case Keyword::LtrMark:
        character(0x200E);
        break;
    case Keyword::RtlMark:
        character(0x200F);
        break;
    default:
        tableWord(k, hasParam, param);
        break;
    }
}

void RtfInterpreter::tableWord(Keyword k, bool hasParam, int param) {
    ParaProps& p = top().para;
    switch (k) {
    case Keyword::InTable:
        p.inTable = true;
        break;
    case Keyword::Itap:
        p.inTable = hasParam && param > 0;
        break;
    case Keyword::RowDefaults:
        builder_.setRowCells(0);
        rowCells_ = 0;
        break;
    case Keyword::CellX:
        builder_.setRowCells(++rowCells_);
        break;
    case Keyword::Cell:
        builder_.endCell(p);
        break;
    case Keyword::Row:
        builder_.endRow();
        break;
    case Keyword::NestCell:
    case Keyword::NestRow:
        builder_.paragraphBreak(p);
        break;
    default:
        break;
    }
}

void RtfInterpreter::controlSymbol(char16_t symbol) {
    if (symbol == '*') {
        afterStar_ = true;
        return;
    }
    afterStar_ = false;
    if (consumeSkip())
        return;
    switch (symbol) {
    case '\\':
    case '{':
    case '}': {
        const char byte = static_cast<char>(symbol);
        text(&byte, &byte + 1);
        return;
    }
    case '~':
        character(0x00A0);
        return;
    case '-':
        character(0x00AD);
        return;
    case '_':
        character(0x2011);
        return;
    case '\r':
    case '\n':
        if (top().dest == Dest::Text)
            builder_.paragraphBreak(top().para);
        return;
    default:
        return;
    }
}

void RtfInterpreter::hexByte(unsigned char byte) {
    afterStar_ = false;
    if (consumeSkip())
        return;
    const char b = static_cast<char>(byte);
    text(&b, &b + 1);
}

void RtfInterpreter::binary(std::size_t) {
    afterStar_ = false;
    consumeSkip();
}

void RtfInterpreter::character(char16_t c) {
    Group& g = top();
    if (g.dest == Dest::FieldInst) {
        if (fieldInst_.size() < 4096)
            fieldInst_ += QChar(c);
        return;
    }
    if (g.dest != Dest::Text || g.chr.hidden)
        return;
    builder_.appendChars(QStringView(&c, 1), g.chr, g.para);
}

void RtfInterpreter::text(const char* begin, const char* end) {
    afterStar_ = false;
    while (skip_ > 0 && begin < end) {
        ++begin;
        --skip_;
    }
    if (begin == end)
        return;
    Group& g = top();
    if (g.dest == Dest::Text) {
        if (!g.chr.hidden)
            builder_.appendBytes(QByteArrayView(begin, end - begin), g.chr, g.para);
        return;
    }
    destinationText(begin, end);
}

void RtfInterpreter::wideText(const char16_t* begin, const char16_t* end) {
    afterStar_ = false;
    while (skip_ > 0 && begin < end) {
        ++begin;
        --skip_;
    }
    Group& g = top();
    if (begin == end || g.dest != Dest::Text || g.chr.hidden)
        return;
    builder_.appendChars(QStringView(begin, end - begin), g.chr, g.para);
}

void RtfInterpreter::destinationText(const char* begin, const char* end) {
    switch (top().dest) {
    case Dest::FontTable:
        header_.fontText(begin, end);
        return;
    case Dest::ColorTable:
        header_.colorText(begin, end);
        return;
    case Dest::StyleSheet:
        header_.styleText(begin, end);
        return;
    case Dest::FieldInst:
        for (const char* p = begin; p < end && fieldInst_.size() < 4096; ++p)
            fieldInst_ += QChar(cp1252ToUnicode(static_cast<unsigned char>(*p)));
        return;
    default:
        return;
    }
}

void RtfInterpreter::finishFieldInstruction() {
    const QString target = hyperlinkTarget(fieldInst_);
    fieldInst_.clear();
    if (target.isEmpty())
        return;
    tables_.links.append(target);
    top().chr.link = static_cast<int>(tables_.links.size());
}

void RtfInterpreter::finish() {
    builder_.finish(top().para);
}

} // namespace velcaro::rtf
