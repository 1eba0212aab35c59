#pragma once

#include "markdown/markdown_builder.h"
#include "rtf/html_sax.h"
#include "rtf/html_tags.h"

#include <QByteArray>
#include <QUrl>
#include <vector>

namespace velcaro::markdown {

// The state of one conversion of the engine's copied HTML to Markdown, driven by the HTML
// walk: the open elements with what their tag and inline style make of them (block or
// inline, hidden, bold, italic, monospace, a link), the white space collapsed and the form
// controls shown as the engine's plain copy shows them. What each element is in Markdown is
// the builder's.
class MarkdownConverter : public rtf::HtmlSaxHandler {
public:
    // Links and images are resolved against `pageUrl`.
    explicit MarkdownConverter(const QUrl& pageUrl);

    void startElement(std::string_view tag, const char* const* attributes) override;
    void endElement(std::string_view tag) override;
    void characters(const char* text, int length) override;
    QString finish();

private:
    // How a select shows (see form_control.h).
    enum class Select : uint8_t { None, ListBox, DropDown };
    // What an element started in the builder, and so what its end does there.
    enum class Opened : uint8_t { Nothing, Boundary, Container, Heading, Code, Row, Cell };
    struct Element {
        rtf::ElementKind kind = rtf::ElementKind::Block;
        Opened opened = Opened::Nothing;
        bool hidden = false;    // left out with everything inside
        bool invisible = false; // its own text left out (visibility: hidden)
        bool bold = false;
        bool italic = false;
        bool monospace = false;       // by tag or font family
        bool codeTag = false;         // inside code, kbd, samp or tt
        bool blockMonospace = false;  // the innermost block is monospace
        bool preserve = false;        // white space kept (pre, pre-wrap)
        bool preserveLines = false;   // line ends kept (pre-line)
        int link = 0;                 // number of the link it is in, 0 for none
        bool flexContainer = false;   // its children are laid out as blocks
        Select select = Select::None; // the select it is in
        bool inOption = false;        // inside an option of that select
    };

    void startBlock(Element& e, const rtf::TagDefaults* defaults, std::string_view tag,
                    const char* const* attributes);
    void addImage(const Element& e, const char* const* attributes);
    void writeWords(const char* p, const char* end, const Element& e);
    void writeOwnLine(const QByteArray& text, const Element& e);
    void endOption(const Element& option);
    void endLine();
    InlineStyle styleOf(const Element& e) const;
    enum class Target { Link, Image };
    bool mayLink(const QUrl& url) const;
    // `address` resolved against the page and written as a destination; empty for a
    // javascript: address, one that is no URL, and a link mayLink refuses.
    QString destination(const char* address, Target target) const;

    MarkdownBuilder out_;
    QUrl pageUrl_;
    std::vector<Element> stack_;
    std::vector<QString> links_;
    QByteArray words_;
    // The option being read, and the option a drop-down list shows so far.
    QByteArray optionText_;
    QByteArray optionLabel_;
    bool optionSelected_ = false;
    QByteArray chosen_;
    bool chosenSet_ = false;
    bool lineHasText_ = false;
    bool pendingSpace_ = false;
};

} // namespace velcaro::markdown
