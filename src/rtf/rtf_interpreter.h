#pragma once

#include "rtf/document_builder.h"
#include "rtf/rtf_format.h"
#include "rtf/rtf_keywords.h"
#include "rtf/rtf_tables.h"

#include <QByteArray>
#include <QHash>
#include <map>
#include <string_view>
#include <vector>

class QTextDocument;

namespace velcaro::rtf {

// Gives meaning to the tokens of an RTF document: keeps the formatting state of each open
// group on an explicit stack (no recursion; groups nested deeper than kMaxDepth share the
// state of the deepest one), reads the font, colour, style and list tables, skips the
// destinations that are not text, and hands the text to a DocumentBuilder.
class RtfInterpreter {
public:
    explicit RtfInterpreter(QTextDocument& doc);

    void groupStart();
    bool groupEnd();
    void controlWord(std::string_view word, bool hasParam, int param);
    void controlSymbol(char16_t symbol);
    void hexByte(unsigned char byte);
    void binary(std::size_t size);
    void text(const char* begin, const char* end);
    void wideText(const char16_t* begin, const char16_t* end);
    void finish();

    static constexpr std::size_t kMaxDepth = 1000;

private:
    enum class Dest : unsigned char {
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
    struct Group {
        CharProps chr;
        ParaProps para;
        Dest dest = Dest::Text;
        unsigned char ucSkip = 1;
    };

    Group& top() { return m_stack.back(); }
    bool consumeSkip();
    void textWord(Keyword k, bool hasParam, int param);
    void tableWord(Keyword k, bool hasParam, int param);
    void character(char16_t c);
    void destinationText(const char* begin, const char* end);
    void commitFontName();
    void commitStyleName();
    void finishFieldInstruction();
    void resolveList(ParaProps& para) const;
    CharProps defaultChar() const;

    RtfTables m_tables;
    DocumentBuilder m_builder;
    std::vector<Group> m_stack;
    std::size_t m_overflow = 0;
    int m_skip = 0;
    bool m_afterStar = false;
    int m_defaultFont = 0;
    int m_rowCells = 0;

    int m_fontId = 0;
    QByteArray m_fontName;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;
    int m_styleId = -1;
    int m_styleOutline = 0;
    QByteArray m_styleName;
    QHash<int, int> m_styleHeading;
    QString m_fieldInst;

    std::map<int, std::vector<ListStyle>> m_listLevels; // by \listid
    std::vector<ListStyle> m_currentLevels;
    int m_currentListId = 0;
    std::map<int, int> m_overrides; // \ls -> \listid
    int m_overrideListId = 0;
    ListStyle m_pnStyle = ListStyle::None;
    int m_pnLevel = 0;
};

} // namespace velcaro::rtf
