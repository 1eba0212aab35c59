#pragma once

#include "rtf/css_style.h"
#include "rtf/html_sax.h"
#include "rtf/html_tags.h"
#include "rtf/rtf_format.h"
#include "rtf/rtf_output.h"

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace velcaro::rtf {

// The state of one HTML to RTF conversion, driven by libxml2's SAX callbacks: the open
// elements with their computed formatting, and the text flow that turns blocks, line
// breaks and table cells into the newlines of the engine's plain copy.
class HtmlConverter : public HtmlSaxHandler {
public:
    // With `plainText`, the converter also writes there the text of the RTF it makes, with
    // its paragraphs separated by newlines: what a reader of that RTF shows as plain text.
    explicit HtmlConverter(QString* plainText = nullptr);

    void startElement(std::string_view tag, const char* const* attributes) override;
    void endElement(std::string_view tag) override;
    void characters(const char* text, int length) override;
    QByteArray finish();

private:
    using Kind = ElementKind;
    struct Element {
        Kind kind = Kind::Inline;
        CharProps chr;
        ParaProps para;
        double points = 12;
        bool hidden = false;
        bool invisible = false;
        bool preserve = false;
        bool preserveLines = false;
        ListStyle childList = ListStyle::None;
        int listCounter = 0;
        int cells = 0; // cells started so far, for rows
    };

    void applyStyle(Element& e, const CssStyle& style);
    void requireBreak(int newlines);
    void startText();
    void writeText(QStringView text);
    void writeRun(QStringView text);
    int fontFor(std::string_view family);

    RtfOutput out_;
    QString* plain_;
    std::vector<Element> stack_;
    QString buffer_;
    QByteArray bytes_;
    QStringList links_;
    std::string lastFamily_;
    int lastFamilyIndex_ = 0;

    bool hasText_ = false;      // some text has been written
    bool inParagraph_ = false;  // an RTF paragraph is open
    bool lineHasText_ = false;  // the current line has text (leading spaces collapse)
    bool lineStarted_ = false;  // the current line has text or a tab
    bool pendingSpace_ = false; // collapsed white space waiting for the next word
    bool skipNewline_ = false;  // the newline right after <pre> is not content
    int requiredBreaks_ = 0;    // newlines that blocks ask for before the next text
    int forcedBreaks_ = 0;      // newlines from <br> since the last text
    QString marker_;            // list marker for the next paragraph
    int openLink_ = 0;
};

} // namespace velcaro::rtf
