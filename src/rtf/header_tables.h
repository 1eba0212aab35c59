#pragma once

#include "rtf/rtf_format.h"
#include "rtf/rtf_keywords.h"
#include "rtf/rtf_tables.h"

#include <QByteArray>
#include <QHash>
#include <map>
#include <vector>

namespace velcaro::rtf {

// Reads the tables an RTF document declares in its header and refers to by number later:
// fonts and colours (into RtfTables), the heading level of each paragraph style, the list
// levels of Word 97 lists with their overrides, and the older \pn paragraph numbering.
class HeaderTables {
public:
    explicit HeaderTables(RtfTables& tables) : tables_(tables) {}

    void fontWord(Keyword k, int param);
    void fontText(const char* begin, const char* end);
    // The font table's group closes: its last name needs no ';'.
    void endFontTable();

    void startColorTable();
    void colorWord(Keyword k, int param);
    void colorText(const char* begin, const char* end);

    void styleWord(Keyword k, int param);
    void styleText(const char* begin, const char* end);
    // The heading level (1 to 6) of a paragraph style, 0 for a style that is no heading.
    int headingLevel(int style) const { return styleHeading_.value(style, 0); }

    void listWord(Keyword k, int param);
    void listOverrideWord(Keyword k, int param);
    // Sets the paragraph's list style from its \ls and \ilvl.
    void resolveList(ParaProps& para) const;

    void startPn();
    void pnWord(Keyword k, int param);
    // Numbers the paragraph as the \pn group that has just closed said.
    void applyPn(ParaProps& para) const;

private:
    void commitFontName();
    void commitStyleName();

    RtfTables& tables_;

    int fontId_ = 0;
    QByteArray fontName_;

    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;

    int styleId_ = -1;
    int styleOutline_ = 0;
    QByteArray styleName_;
    QHash<int, int> styleHeading_;

    std::map<int, std::vector<ListStyle>> listLevels_; // by \listid
    std::vector<ListStyle> currentLevels_;
    int currentListId_ = 0;
    std::map<int, int> overrides_; // \ls -> \listid
    int overrideListId_ = 0;

    ListStyle pnStyle_ = ListStyle::None;
    int pnLevel_ = 0;
};

} // namespace velcaro::rtf
