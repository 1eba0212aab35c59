#include "rtf/html_converter.h"

#include "rtf/html_tags.h"
#include "rtf/text_structure.h"
#include "rtf/white_space.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velcaro::rtf {

HtmlConverter::HtmlConverter(QString* plainText)
    : out_(QStringLiteral("Times New Roman"), 24), plain_(plainText) {
    Element root;
    root.chr.font = 0;
    root.chr.halfPoints = 24;
    stack_.reserve(256);
    stack_.push_back(root);
}

int HtmlConverter::fontFor(std::string_view family) {
    if (family == lastFamily_)
        return lastFamilyIndex_;
    QString name = QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size()));
    if (name == QLatin1String("serif"))
        name = QStringLiteral("Times New Roman");
    else if (name == QLatin1String("sans-serif"))
        name = QStringLiteral("Arial");
    else if (name == QLatin1String("monospace"))
        name = QStringLiteral("Courier New");
    lastFamily_.assign(family.data(), family.size());
    lastFamilyIndex_ = out_.fontIndex(name);
    return lastFamilyIndex_;
}

void HtmlConverter::applyStyle(Element& e, const CssStyle& s) {
    using Tri = CssStyle::Tri;
    if (s.bold != Tri::Unset)
        e.chr.bold = s.bold == Tri::Yes;
    if (s.italic != Tri::Unset)
        e.chr.italic = s.italic == Tri::Yes;
    if (s.underline != Tri::Unset)
        e.chr.underline = s.underline == Tri::Yes;
    if (s.strike != Tri::Unset)
        e.chr.strike = s.strike == Tri::Yes;
    if (s.hidden != Tri::Unset)
        e.invisible = s.hidden == Tri::Yes;
    if (s.vertical)
        e.chr.vertical = s.vertical;
    if (s.align >= 0)
        e.para.align = static_cast<Align>(s.align);
    if (s.hasColor)
        e.chr.color = out_.colorIndex(s.color);
    if (s.hasBackground)
        e.chr.background = out_.colorIndex(s.background);
    if (s.sizePoints > 0)
        e.points = s.sizePoints;
    else if (s.sizeFactor > 0)
        e.points *= s.sizeFactor;
    if (!s.family.empty())
        e.chr.font = fontFor(s.family);
    if (s.display == CssStyle::Display::None)
        e.hidden = true;
    e.kind = displayedKind(e.kind, s.display);
    if (s.whiteSpace != CssStyle::WhiteSpace::Unset) {
        e.preserve = s.whiteSpace == CssStyle::WhiteSpace::Preserve;
        e.preserveLines = s.whiteSpace == CssStyle::WhiteSpace::PreserveLines;
    }
}

void HtmlConverter::startElement(std::string_view tag, const char* const* attributes) {
    Element e = stack_.back();
    Element& parent = stack_.back();
    e.cells = 0;
    e.listCounter = 0;
    e.childList = ListStyle::None;
    if (const TagDefaults* found = tagDefaults(tag)) {
        const TagDefaults& d = *found;
        e.kind = d.kind;
        e.chr.bold |= d.bold;
        e.chr.italic |= d.italic;
        e.chr.underline |= d.underline;
        e.chr.strike |= d.strike;
        if (d.vertical)
            e.chr.vertical = d.vertical;
        if (d.monospace)
            e.chr.font = fontFor("monospace");
        if (d.preserve)
            e.preserve = true;
        if (d.sizeFactor > 0)
            e.points *= d.sizeFactor;
        if (d.heading)
            e.para.headingLevel = d.heading;
    } else {
        e.kind = Kind::Inline;
    }
    if (tag == "ul" || tag == "ol") {
        e.childList = tag == "ul" ? ListStyle::Bullet : ListStyle::Decimal;
        e.para.listLevel =
            parent.childList != ListStyle::None || parent.para.list != ListStyle::None
                ? parent.para.listLevel + 1
                : 0;
    }
    if (tag == "a") {
        if (const char* href = htmlAttribute(attributes, "href")) {
            links_.append(QString::fromUtf8(href));
            e.chr.link = static_cast<int>(links_.size());
            e.chr.underline = true;
            e.chr.color = out_.colorIndex(qRgb(0, 0, 238));
        }
    }
    if (const char* style = htmlAttribute(attributes, "style"))
        applyStyle(e, parseInlineStyle(style));
    if (htmlAttribute(attributes, "hidden"))
        e.hidden = true;
    // The engine's plain copy gives a shown image's alternative text in its place, as text of
    // the line it sits in.
    const char* alt = tag == "img" && !e.hidden ? htmlAttribute(attributes, "alt") : nullptr;
    if (alt && *alt)
        e.kind = Kind::Inline;
    else if (e.kind == Kind::Skip)
        e.hidden = true;
    e.chr.halfPoints = qBound(2, static_cast<int>(std::lround(e.points * 2)), 3276);

    if (!e.hidden) {
        switch (e.kind) {
        case Kind::Block:
        case Kind::Paragraph:
        case Kind::Row:
            requireBreak(1);
            break;
        case Kind::ListItem:
            requireBreak(1);
            e.para.list =
                parent.childList != ListStyle::None ? parent.childList : ListStyle::Bullet;
            e.para.left = 720 * (e.para.listLevel + 1);
            e.para.firstLine = -360;
            marker_ = e.para.list == ListStyle::Bullet
                          ? QStringLiteral("\u2022")
                          : QString::number(++parent.listCounter) + QLatin1Char('.');
            break;
        case Kind::Cell:
            // The engine separates cells by tabs, but writes none at the start of a line.
            if (parent.cells++ > 0 && lineStarted_ && !requiredBreaks_ && !forcedBreaks_) {
                writeText(u"\t");
                lineHasText_ = false;
            }
            break;
        case Kind::LineBreak:
            ++forcedBreaks_;
            lineStarted_ = false;
            pendingSpace_ = false;
            lineHasText_ = false;
            break;
        default:
            break;
        }
        if (e.preserve && tag == "pre")
            skipNewline_ = true;
    }
    stack_.push_back(e);
    if (alt && *alt)
        characters(alt, static_cast<int>(std::strlen(alt)));
}

void HtmlConverter::endElement(std::string_view) {
    if (stack_.size() <= 1)
        return;
    const Element e = stack_.back();
    stack_.pop_back();
    if (e.hidden)
        return;
    // An invisible inline element still took its place between the spaces around it, which
    // the engine's plain copy both keeps: the space before it is written now, so the one after
    // it does not collapse into it.
    if (e.invisible && e.kind == Kind::Inline && pendingSpace_ && lineHasText_) {
        pendingSpace_ = false;
        writeText(u" ");
    }
    switch (e.kind) {
    case Kind::Paragraph:
        requireBreak(2);
        break;
    case Kind::ListItem:
        marker_.clear(); // an item without text leaves no marker to the next paragraph
        requireBreak(1);
        break;
    case Kind::Block:
    case Kind::Row:
        requireBreak(1);
        break;
    default:
        break;
    }
}

void HtmlConverter::requireBreak(int newlines) {
    if (newlines > requiredBreaks_)
        requiredBreaks_ = newlines;
    pendingSpace_ = false;
    lineHasText_ = false;
}

void HtmlConverter::startText() {
    int newlines = requiredBreaks_ > forcedBreaks_ ? requiredBreaks_ : forcedBreaks_;
    if (!hasText_)
        newlines = forcedBreaks_;
    if (openLink_) {
        out_.endLink();
        openLink_ = 0;
    }
    if (newlines > 0)
        lineStarted_ = false;
    for (int i = 0; i < newlines; ++i) {
        if (!inParagraph_)
            out_.beginParagraph(ParaProps());
        out_.endParagraph();
        inParagraph_ = false;
        if (plain_)
            *plain_ += QLatin1Char('\n');
    }
    requiredBreaks_ = 0;
    forcedBreaks_ = 0;
    if (!inParagraph_) {
        out_.beginParagraph(stack_.back().para, marker_);
        marker_.clear();
        inParagraph_ = true;
    }
    hasText_ = true;
}

void HtmlConverter::writeText(QStringView text) {
    // A text document takes a paragraph separator for a paragraph break: write it as one.
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(QChar::ParagraphSeparator); at >= 0;
         at = text.indexOf(QChar::ParagraphSeparator, from)) {
        writeRun(text.mid(from, at - from));
        ++forcedBreaks_;
        lineStarted_ = false;
        lineHasText_ = false;
        pendingSpace_ = false;
        from = at + 1;
    }
    writeRun(text.mid(from));
}

void HtmlConverter::writeRun(QStringView text) {
    if (text.isEmpty())
        return;
    const int link = stack_.back().chr.link;
    if (requiredBreaks_ || forcedBreaks_ || !inParagraph_)
        startText();
    if (link != openLink_) {
        if (openLink_)
            out_.endLink();
        if (link)
            out_.beginLink(links_[link - 1]);
        openLink_ = link;
    }
    CharProps chr = stack_.back().chr;
    chr.link = 0;
    out_.setChar(chr);
    // The engine's plain copy has plain spaces where the page has non-breaking ones (its HTML
    // also writes them for spaces next to inline elements); the RTF keeps the same text. What a
    // text document takes as structure is not text and becomes U+FFFD (paragraph separators
    // and newlines never get here).
    const auto special = [](QChar c) {
        return c.unicode() == 0x00A0 || isTextStructure(c.unicode());
    };
    if (std::any_of(text.begin(), text.end(), special)) {
        QString clean = text.toString();
        for (QChar& c : clean) {
            if (c.unicode() == 0x00A0)
                c = u' ';
            else if (special(c))
                c = QChar::ReplacementCharacter;
        }
        out_.text(clean);
        if (plain_)
            *plain_ += clean;
    } else {
        out_.text(text);
        if (plain_)
            *plain_ += text;
    }
    lineHasText_ = true;
    lineStarted_ = true;
}

void HtmlConverter::characters(const char* text, int length) {
    const Element& e = stack_.back();
    if (e.hidden || e.invisible || e.kind == Kind::Skip || length <= 0)
        return;
    const char* p = text;
    const char* end = text + length;
    if (skipNewline_) {
        skipNewline_ = false;
        if (p < end && *p == '\r')
            ++p;
        if (p < end && *p == '\n')
            ++p;
    }
    if (e.preserve || e.preserveLines) {
        forEachLine(
            p, end,
            [&](const char* line, const char* lineEnd) {
                const QString chunk = QString::fromUtf8(line, lineEnd - line);
                writeText(e.preserveLines ? chunk.simplified() : chunk);
            },
            [&] {
                ++forcedBreaks_;
                lineHasText_ = false;
                lineStarted_ = false;
            });
        return;
    }
    // Collapse white space as a browser does: runs become one space, dropped at the start
    // and end of a line.
    bytes_.resize(0);
    collapseWhiteSpace(p, end, lineHasText_, pendingSpace_, bytes_);
    if (!bytes_.isEmpty()) {
        buffer_ = QString::fromUtf8(bytes_);
        writeText(buffer_);
    }
}

QByteArray HtmlConverter::finish() {
    if (openLink_)
        out_.endLink();
    if (inParagraph_)
        out_.endParagraph();
    return out_.finish();
}

} // namespace velcaro::rtf
