#include "rtf/rtf_interpreter.h"

#include <QRegularExpression>

namespace velcaro::rtf {
namespace {

ListStyle listStyleForNfc(int nfc) {
    switch (nfc) {
    case 0:
        return ListStyle::Decimal;
    case 1:
        return ListStyle::UpperRoman;
    case 2:
        return ListStyle::LowerRoman;
    case 3:
        return ListStyle::UpperAlpha;
    case 4:
        return ListStyle::LowerAlpha;
    case 23:
    case 255:
        return ListStyle::Bullet;
    default:
        return ListStyle::Decimal;
    }
}

// Paragraph and character lengths arrive as any int; keep them in a sane range.
int clampTwips(int value) {
    return qBound(-31680, value, 31680);
}

} // namespace

RtfInterpreter::RtfInterpreter(QTextDocument& doc) : m_builder(doc, m_tables) {
    m_stack.reserve(64);
    m_stack.push_back(Group());
    top().chr = defaultChar();
}

CharProps RtfInterpreter::defaultChar() const {
    CharProps c;
    c.font = m_defaultFont;
    c.halfPoints = 24;
    return c;
}

void RtfInterpreter::groupStart() {
    m_skip = 0;
    m_afterStar = false;
    if (m_stack.size() >= kMaxDepth) {
        ++m_overflow;
        return;
    }
    m_stack.push_back(m_stack.back());
}

bool RtfInterpreter::groupEnd() {
    m_skip = 0;
    m_afterStar = false;
    if (m_overflow > 0) {
        --m_overflow;
        return true;
    }
    if (m_stack.size() <= 2)
        return false; // the document's own group closes: whatever follows is not part of it
    const Dest closed = top().dest;
    m_stack.pop_back();
    const Dest parent = top().dest;
    if (closed == parent)
        return true;
    switch (closed) {
    case Dest::FontTable:
        commitFontName();
        m_builder.tablesChanged();
        break;
    case Dest::ColorTable:
        m_builder.tablesChanged();
        break;
    case Dest::FieldInst:
        finishFieldInstruction();
        break;
    case Dest::PnDef:
        if (parent == Dest::Text) {
            top().para.list = m_pnStyle;
            top().para.listLevel = m_pnLevel;
        }
        break;
    default:
        break;
    }
    return true;
}

bool RtfInterpreter::consumeSkip() {
    if (m_skip <= 0)
        return false;
    --m_skip;
    return true;
}

void RtfInterpreter::controlWord(std::string_view word, bool hasParam, int param) {
    const bool afterStar = m_afterStar;
    m_afterStar = false;
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
        m_colorSet = false;
        m_red = m_green = m_blue = 0;
        return;
    case Keyword::StyleSheet:
        g.dest = Dest::StyleSheet;
        return;
    case Keyword::FieldInst:
        g.dest = Dest::FieldInst;
        m_fieldInst.clear();
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
            m_pnStyle = ListStyle::Decimal;
            m_pnLevel = 0;
        }
        return;
    case Keyword::U:
        if (hasParam) {
            int value = param < 0 ? param + 65536 : param;
            if (value < 0 || value > 0xFFFF)
                value = 0xFFFD;
            if (value != 0)
                character(static_cast<char16_t>(value));
            m_skip = g.ucSkip;
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
        if (k == Keyword::Font) {
            commitFontName();
            m_fontId = param;
            m_tables.fonts[param].codePage = 0;
        } else if (k == Keyword::Charset) {
            m_tables.fonts[m_fontId].codePage = codePageForCharset(param);
        } else if (k == Keyword::CodePage && param > 0) {
            m_tables.fonts[m_fontId].codePage = param;
        }
        return;
    case Dest::ColorTable:
        if (k == Keyword::Red || k == Keyword::Green || k == Keyword::Blue) {
            const int v = qBound(0, param, 255);
            (k == Keyword::Red ? m_red : k == Keyword::Green ? m_green : m_blue) = v;
            m_colorSet = true;
        }
        return;
    case Dest::StyleSheet:
        if (k == Keyword::Style) {
            m_styleId = param;
            m_styleOutline = 0;
            m_styleName.clear();
        } else if (k == Keyword::CharStyle) {
            m_styleId = -1;
        } else if (k == Keyword::OutlineLevel) {
            m_styleOutline = param >= 0 && param < 6 ? param + 1 : 0;
        }
        return;
    case Dest::ListTable:
        if (k == Keyword::List) {
            m_currentLevels.clear();
            m_currentListId = 0;
        } else if (k == Keyword::ListLevel) {
            if (m_currentLevels.size() < 9)
                m_currentLevels.push_back(ListStyle::Decimal);
        } else if (k == Keyword::LevelNfc && !m_currentLevels.empty()) {
            m_currentLevels.back() = listStyleForNfc(param);
            if (m_currentListId)
                m_listLevels[m_currentListId] = m_currentLevels;
        } else if (k == Keyword::ListId) {
            m_currentListId = param;
            m_listLevels[param] = m_currentLevels;
        }
        return;
    case Dest::ListOverrideTable:
        if (k == Keyword::ListId)
            m_overrideListId = param;
        else if (k == Keyword::Ls)
            m_overrides[param] = m_overrideListId;
        return;
    case Dest::PnDef:
        switch (k) {
        case Keyword::PnBullet:
            m_pnStyle = ListStyle::Bullet;
            break;
        case Keyword::PnDecimal:
            m_pnStyle = ListStyle::Decimal;
            break;
        case Keyword::PnLowerAlpha:
            m_pnStyle = ListStyle::LowerAlpha;
            break;
        case Keyword::PnUpperAlpha:
            m_pnStyle = ListStyle::UpperAlpha;
            break;
        case Keyword::PnLowerRoman:
            m_pnStyle = ListStyle::LowerRoman;
            break;
        case Keyword::PnUpperRoman:
            m_pnStyle = ListStyle::UpperRoman;
            break;
        case Keyword::PnLevel:
            m_pnLevel = qBound(0, param - 1, 8);
            break;
        default:
            break;
        }
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
        m_tables.codePage = 1252;
        m_builder.tablesChanged();
        break;
    case Keyword::Mac:
        m_tables.codePage = 10000;
        m_builder.tablesChanged();
        break;
    case Keyword::Pc:
        m_tables.codePage = 437;
        m_builder.tablesChanged();
        break;
    case Keyword::Pca:
        m_tables.codePage = 850;
        m_builder.tablesChanged();
        break;
    case Keyword::AnsiCodePage:
        if (param > 0)
            m_tables.codePage = param;
        m_builder.tablesChanged();
        break;
    case Keyword::DefaultFont:
        m_defaultFont = param;
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
        m_builder.paragraphBreak(p);
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
        p.headingLevel = m_styleHeading.value(param, 0);
        break;
    case Keyword::RtlPar:
        p.rightToLeft = true;
        break;
    case Keyword::LtrPar:
        p.rightToLeft = false;
        break;
    case Keyword::Ls:
        p.listId = param;
        resolveList(p);
        break;
    case Keyword::Ilvl:
        p.listLevel = qBound(0, param, 8);
        resolveList(p);
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
        m_builder.setRowCells(0);
        m_rowCells = 0;
        break;
    case Keyword::CellX:
        m_builder.setRowCells(++m_rowCells);
        break;
    case Keyword::Cell:
        m_builder.endCell(p);
        break;
    case Keyword::Row:
        m_builder.endRow();
        break;
    case Keyword::NestCell:
    case Keyword::NestRow:
        m_builder.paragraphBreak(p);
        break;
    default:
        break;
    }
}

void RtfInterpreter::resolveList(ParaProps& para) const {
    if (para.listId <= 0)
        return;
    ListStyle style = ListStyle::Bullet;
    auto override = m_overrides.find(para.listId);
    if (override != m_overrides.end()) {
        auto levels = m_listLevels.find(override->second);
        if (levels != m_listLevels.end() && !levels->second.empty()) {
            const auto& v = levels->second;
            style = v[qMin<std::size_t>(para.listLevel, v.size() - 1)];
        }
    }
    para.list = style;
}

void RtfInterpreter::controlSymbol(char16_t symbol) {
    if (symbol == '*') {
        m_afterStar = true;
        return;
    }
    m_afterStar = false;
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
            m_builder.paragraphBreak(top().para);
        return;
    default:
        return;
    }
}

void RtfInterpreter::hexByte(unsigned char byte) {
    m_afterStar = false;
    if (consumeSkip())
        return;
    const char b = static_cast<char>(byte);
    text(&b, &b + 1);
}

void RtfInterpreter::binary(std::size_t) {
    m_afterStar = false;
    consumeSkip();
}

void RtfInterpreter::character(char16_t c) {
    Group& g = top();
    if (g.dest == Dest::FieldInst) {
        if (m_fieldInst.size() < 4096)
            m_fieldInst += QChar(c);
        return;
    }
    if (g.dest != Dest::Text || g.chr.hidden)
        return;
    m_builder.appendChars(QStringView(&c, 1), g.chr, g.para);
}

void RtfInterpreter::text(const char* begin, const char* end) {
    m_afterStar = false;
    while (m_skip > 0 && begin < end) {
        ++begin;
        --m_skip;
    }
    if (begin == end)
        return;
    Group& g = top();
    if (g.dest == Dest::Text) {
        if (!g.chr.hidden)
            m_builder.appendBytes(QByteArrayView(begin, end - begin), g.chr, g.para);
        return;
    }
    destinationText(begin, end);
}

void RtfInterpreter::wideText(const char16_t* begin, const char16_t* end) {
    m_afterStar = false;
    while (m_skip > 0 && begin < end) {
        ++begin;
        --m_skip;
    }
    Group& g = top();
    if (begin == end || g.dest != Dest::Text || g.chr.hidden)
        return;
    m_builder.appendChars(QStringView(begin, end - begin), g.chr, g.para);
}

void RtfInterpreter::destinationText(const char* begin, const char* end) {
    switch (top().dest) {
    case Dest::FontTable:
        for (const char* p = begin; p < end; ++p) {
            if (*p == ';')
                commitFontName();
            else if (m_fontName.size() < 256)
                m_fontName += *p;
        }
        return;
    case Dest::ColorTable:
        for (const char* p = begin; p < end; ++p) {
            if (*p != ';')
                continue;
            if (m_tables.colors.size() < 65536)
                m_tables.colors.push_back(m_colorSet ? QColor(m_red, m_green, m_blue) : QColor());
            m_colorSet = false;
            m_red = m_green = m_blue = 0;
        }
        return;
    case Dest::StyleSheet:
        for (const char* p = begin; p < end; ++p) {
            if (*p == ';')
                commitStyleName();
            else if (m_styleName.size() < 256)
                m_styleName += *p;
        }
        return;
    case Dest::FieldInst:
        for (const char* p = begin; p < end && m_fieldInst.size() < 4096; ++p)
            m_fieldInst += QChar(cp1252ToUnicode(static_cast<unsigned char>(*p)));
        return;
    default:
        return;
    }
}

void RtfInterpreter::commitFontName() {
    if (m_fontName.isEmpty())
        return;
    QString name;
    CodePageDecoder decoder;
    FontEntry& font = m_tables.fonts[m_fontId];
    decoder.append(font.codePage > 0 ? font.codePage : m_tables.codePage, m_fontName, name);
    font.family = name.trimmed();
    m_fontName.clear();
}

void RtfInterpreter::commitStyleName() {
    static const QRegularExpression heading(QStringLiteral("^\\s*(heading|titolo)\\s*([1-6])"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (m_styleId >= 0) {
        int level = m_styleOutline;
        if (!level) {
            const auto match = heading.match(QString::fromLatin1(m_styleName));
            if (match.hasMatch())
                level = match.captured(2).toInt();
        }
        if (level)
            m_styleHeading.insert(m_styleId, level);
    }
    m_styleName.clear();
    m_styleOutline = 0;
}

void RtfInterpreter::finishFieldInstruction() {
    // HYPERLINK "target" [\l "anchor"]: inside quotes \" stands for a quote, \\ for a backslash.
    const QString inst = m_fieldInst.trimmed();
    m_fieldInst.clear();
    if (!inst.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return;
    QString target;
    QString anchor;
    qsizetype i = 9;
    bool anchorNext = false;
    while (i < inst.size()) {
        while (i < inst.size() && inst[i].isSpace())
            ++i;
        if (i >= inst.size())
            break;
        QString arg;
        if (inst[i] == u'"') {
            for (++i; i < inst.size() && inst[i] != u'"'; ++i) {
                if (inst[i] == u'\\' && i + 1 < inst.size())
                    ++i;
                arg += inst[i];
            }
            ++i;
        } else {
            while (i < inst.size() && !inst[i].isSpace())
                arg += inst[i++];
            if (arg == QLatin1String("\\l")) {
                anchorNext = true;
                continue;
            }
            if (arg.startsWith(u'\\'))
                continue; // another switch
        }
        if (anchorNext)
            anchor = arg;
        else if (target.isEmpty())
            target = arg;
        anchorNext = false;
    }
    if (!anchor.isEmpty())
        target += QLatin1Char('#') + anchor;
    if (target.isEmpty())
        return;
    m_tables.links.append(target);
    top().chr.link = static_cast<int>(m_tables.links.size());
}

void RtfInterpreter::finish() {
    m_builder.finish(top().para);
}

} // namespace velcaro::rtf
