#pragma once

#include "rtf/document_builder.h"
#include "rtf/header_tables.h"
#include "rtf/rtf_format.h"
#include "rtf/rtf_keywords.h"
#include "rtf/rtf_tables.h"

#include <QString>
#include <string_view>
#include <vector>

class QTextDocument;

namespace velcaro::rtf {

// Gives meaning to the tokens of an RTF document: keeps the formatting state of each open
// group on an explicit stack (no recursion; groups nested deeper than kMaxDepth share the
// state of the deepest one), acts on each control word as its entry in the keyword table
// says, hands the header tables to HeaderTables, skips the destinations that are not text,
// and hands the text to a DocumentBuilder.
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
    struct Group {
        CharProps chr;
        ParaProps para;
        Destination dest = Destination::Text;
        unsigned char ucSkip = 1;
    };

    Group& top() { return stack_.back(); }
    bool consumeSkip();
    void enterDestination(Destination dest);
    void textWord(const KeywordEntry& entry, bool hasParam, int param);
    // Sets a property of the current group's formatting, or of the document, with the value
    // brought into the property's range.
    void setProperty(Property property, int value);
    void command(Keyword k);
    void character(char16_t c);
    void destinationText(const char* begin, const char* end);
    void finishFieldInstruction();
    CharProps defaultChar() const;

    RtfTables tables_;
    HeaderTables header_;
    DocumentBuilder builder_;
    std::vector<Group> stack_;
    std::size_t overflow_ = 0;
    int skip_ = 0;
    bool afterStar_ = false;
    int defaultFont_ = 0;
    int rowCells_ = 0;

    QString fieldInst_;
};

} // namespace velcaro::rtf
