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
    const Destination closed = top().dest;
    stack_.pop_back();
    const Destination parent = top().dest;
    if (closed == parent)
        return true;
    switch (closed) {
    case Destination::FontTable:
        header_.endFontTable();
        builder_.tablesChanged();
        break;
    case Destination::ColorTable:
        builder_.tablesChanged();
        break;
    case Destination::FieldInst:
        finishFieldInstruction();
        break;
    case Destination::PnDef:
        if (parent == Destination::Text)
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
    if (g.dest == Destination::Skip)
        return;
    const KeywordEntry* entry = findKeyword(word);
    if (!entry) {
        if (afterStar)
            g.dest = Destination::Skip;
        return;
    }
    if (entry->kind == KeywordKind::Destination) {
        enterDestination(entry->destination);
        return;
    }
    if (entry->keyword == Keyword::U) {
        if (hasParam) {
            int value = param < 0 ? param + 65536 : param;
            if (value < 0 || value > 0xFFFF)
                value = 0xFFFD;
            if (value != 0)
                character(static_cast<char16_t>(value));
            skip_ = g.ucSkip;
        }
        return;
    }
    if (entry->keyword == Keyword::Uc) {
        g.ucSkip = static_cast<unsigned char>(qBound(0, param, 10));
        return;
    }
    const Keyword k = entry->keyword;
    switch (g.dest) {
    case Destination::FontTable:
        header_.fontWord(k, param);
        return;
    case Destination::ColorTable:
        header_.colorWord(k, param);
        return;
    case Destination::StyleSheet:
        header_.styleWord(k, param);
        return;
    case Destination::ListTable:
        header_.listWord(k, param);
        return;
    case Destination::ListOverrideTable:
        header_.listOverrideWord(k, param);
        return;
    case Destination::PnDef:
        header_.pnWord(k, param);
        return;
    case Destination::FieldInst:
    case Destination::Skip:
        return;
    case Destination::Text:
        textWord(*entry, hasParam, param);
        return;
    }
}

void RtfInterpreter::enterDestination(Destination dest) {
    Group& g = top();
    switch (dest) {
    case Destination::ColorTable:
        header_.startColorTable();
        break;
    case Destination::FieldInst:
        fieldInst_.clear();
        break;
    case Destination::PnDef:
        // Paragraph numbering is read only where it numbers the text's paragraphs.
        if (g.dest != Destination::Text)
            return;
        header_.startPn();
        break;
    default:
        break;
    }
    g.dest = dest;
}

void RtfInterpreter::textWord(const KeywordEntry& entry, bool hasParam, int param) {
    switch (entry.kind) {
    case KeywordKind::Symbol:
        character(static_cast<char16_t>(entry.value));
        break;
    case KeywordKind::Toggle:
        setProperty(entry.property, hasParam && param == 0 ? 0 : entry.value);
        break;
    case KeywordKind::Flag:
        setProperty(entry.property, entry.value);
        break;
    case KeywordKind::Value:
        setProperty(entry.property, param);
        break;
    case KeywordKind::Command:
        command(entry.keyword);
        break;
    case KeywordKind::Destination:
    case KeywordKind::Header:
        break;
    }
}

void RtfInterpreter::setProperty(Property property, int value) {
    CharProps& c = top().chr;
    ParaProps& p = top().para;
    switch (property) {
    case Property::Bold:
        c.bold = value != 0;
        break;
    case Property::Italic:
        c.italic = value != 0;
        break;
    case Property::Underline:
        c.underline = value != 0;
        break;
    case Property::Strike:
        c.strike = value != 0;
        break;
    case Property::Hidden:
        c.hidden = value != 0;
        break;
    case Property::Vertical:
        c.vertical = static_cast<int8_t>(qBound(-1, value, 1));
        break;
    case Property::Font:
        c.font = value;
        break;
    case Property::FontSize:
        c.halfPoints = value > 0 && value <= 3276 ? value : 24;
        break;
    case Property::Color:
        c.color = qMax(0, value);
        break;
    case Property::Background:
        c.background = qMax(0, value);
        break;
    case Property::Align:
        p.align = static_cast<Align>(qBound(0, value, static_cast<int>(Align::Justify)));
        break;
    case Property::RightToLeft:
        p.rightToLeft = value != 0;
        break;
    case Property::InTable:
        p.inTable = value > 0;
        break;
    case Property::LeftIndent:
        p.left = clampTwips(value);
        break;
    case Property::RightIndent:
        p.right = clampTwips(value);
        break;
    case Property::FirstIndent:
        p.firstLine = clampTwips(value);
        break;
    case Property::SpaceBefore:
        p.before = clampTwips(value);
        break;
    case Property::SpaceAfter:
        p.after = clampTwips(value);
        break;
    case Property::OutlineLevel:
        p.headingLevel = value >= 0 && value < 6 ? value + 1 : 0;
        break;
    case Property::Style:
        p.headingLevel = header_.headingLevel(value);
        break;
    case Property::ListOverride:
        p.listId = value;
        header_.resolveList(p);
        break;
    case Property::ListLevel:
        p.listLevel = qBound(0, value, 8);
        header_.resolveList(p);
        break;
    case Property::CodePage:
        if (value > 0)
            tables_.codePage = value;
        builder_.tablesChanged();
        break;
    case Property::DefaultFont:
        defaultFont_ = value;
        c.font = value;
        break;
    case Property::None:
        break;
    }
}

void RtfInterpreter::command(Keyword k) {
    Group& g = top();
    switch (k) {
    case Keyword::Plain:
        g.chr = defaultChar();
        break;
    case Keyword::Pard:
        g.para = ParaProps();
        break;
    case Keyword::Par:
        builder_.paragraphBreak(g.para);
        break;
    case Keyword::RowDefaults:
        builder_.setRowCells(0);
        rowCells_ = 0;
        break;
    case Keyword::CellX:
        builder_.setRowCells(++rowCells_);
        break;
    case Keyword::Cell:
        builder_.endCell(g.para);
        break;
    case Keyword::Row:
        builder_.endRow();
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
        if (top().dest == Destination::Text)
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
    if (g.dest == Destination::FieldInst) {
        if (fieldInst_.size() < 4096)
            fieldInst_ += QChar(c);
        return;
    }
    if (g.dest != Destination::Text || g.chr.hidden)
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
    if (g.dest == Destination::Text) {
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
    if (begin == end || g.dest != Destination::Text || g.chr.hidden)
        return;
    builder_.appendChars(QStringView(begin, end - begin), g.chr, g.para);
}

void RtfInterpreter::destinationText(const char* begin, const char* end) {
    switch (top().dest) {
    case Destination::FontTable:
        header_.fontText(begin, end);
        return;
    case Destination::ColorTable:
        header_.colorText(begin, end);
        return;
    case Destination::StyleSheet:
        header_.styleText(begin, end);
        return;
    case Destination::FieldInst:
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
