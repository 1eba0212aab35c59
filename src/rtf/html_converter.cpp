#include "rtf/html_converter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace velcaro::rtf {
namespace {

// What an element is without any style: the browser's default style sheet, for the
// properties the engine leaves out of its inline styles.
struct TagDefaults {
    uint8_t kind; // HtmlConverter::Kind
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int8_t vertical = 0;
    bool monospace = false;
    bool preserve = false;
    double sizeFactor = 0;
    int heading = 0;
};

enum : uint8_t { kInline, kBlock, kParagraph, kListItem, kRow, kCell, kSkip, kLineBreak };

const std::unordered_map<std::string_view, TagDefaults>& tagTable() {
    static const std::unordered_map<std::string_view, TagDefaults> table = [] {
        std::unordered_map<std::string_view, TagDefaults> t;
        for (const char* block :
             {"div",     "ul",         "ol",      "dl",     "dt",    "dd",       "blockquote",
              "section", "article",    "header",  "footer", "nav",   "aside",    "main",
              "figure",  "figcaption", "address", "hr",     "form",  "fieldset", "details",
              "summary", "center",     "caption", "table",  "thead", "tbody",    "tfoot",
              "legend",  "body",       "html",    "menu",   "hgroup"})
            t[block] = TagDefaults{kBlock};
        for (const char* skip :
             {"head",     "script", "style",  "title",  "template", "noscript", "select", "option",
              "datalist", "object", "iframe", "svg",    "math",     "textarea", "input",  "button",
              "img",      "video",  "audio",  "canvas", "map",      "meta",     "link"})
            t[skip] = TagDefaults{kSkip};
        t["p"] = TagDefaults{kParagraph};
        t["li"] = TagDefaults{kListItem};
        t["tr"] = TagDefaults{kRow};
        t["td"] = TagDefaults{kCell};
        TagDefaults th{kCell};
        th.bold = true;
        t["th"] = th;
        t["br"] = TagDefaults{kLineBreak};
        TagDefaults pre{kBlock};
        pre.monospace = pre.preserve = true;
        t["pre"] = pre;
        t["listing"] = pre;
        t["xmp"] = pre;
        const double headingSizes[] = {2, 1.5, 1.17, 1, 0.83, 0.67};
        const char* headings[] = {"h1", "h2", "h3", "h4", "h5", "h6"};
        for (int i = 0; i < 6; ++i) {
            TagDefaults h{kBlock};
            h.bold = true;
            h.sizeFactor = headingSizes[i];
            h.heading = i + 1;
            t[headings[i]] = h;
        }
        TagDefaults bold{kInline};
        bold.bold = true;
        t["b"] = t["strong"] = bold;
        TagDefaults italic{kInline};
        italic.italic = true;
        t["i"] = t["em"] = t["cite"] = t["var"] = t["dfn"] = italic;
        TagDefaults underline{kInline};
        underline.underline = true;
        t["u"] = t["ins"] = underline;
        TagDefaults strike{kInline};
        strike.strike = true;
        t["s"] = t["strike"] = t["del"] = strike;
        TagDefaults sup{kInline};
        sup.vertical = 1;
        sup.sizeFactor = 0.83;
        t["sup"] = sup;
        TagDefaults sub = sup;
        sub.vertical = -1;
        t["sub"] = sub;
        TagDefaults mono{kInline};
        mono.monospace = true;
        t["code"] = t["tt"] = t["kbd"] = t["samp"] = mono;
        TagDefaults small{kInline};
        small.sizeFactor = 0.83;
        t["small"] = small;
        return t;
    }();
    return table;
}

bool isCollapsibleSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

const char* attribute(const char* const* attributes, const char* name) {
    if (!attributes)
        return nullptr;
    for (; attributes[0]; attributes += 2) {
        if (std::strcmp(attributes[0], name) == 0)
            return attributes[1] ? attributes[1] : "";
    }
    return nullptr;
}

} // namespace

HtmlConverter::HtmlConverter(QString* plainText)
    : m_out(QStringLiteral("Times New Roman"), 24), m_plain(plainText) {
    Element root;
    root.chr.font = 0;
    root.chr.halfPoints = 24;
    m_stack.reserve(256);
    m_stack.push_back(root);
}

int HtmlConverter::fontFor(std::string_view family) {
    if (family == m_lastFamily)
        return m_lastFamilyIndex;
    QString name = QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size()));
    if (name == QLatin1String("serif"))
        name = QStringLiteral("Times New Roman");
    else if (name == QLatin1String("sans-serif"))
        name = QStringLiteral("Arial");
    else if (name == QLatin1String("monospace"))
        name = QStringLiteral("Courier New");
    m_lastFamily.assign(family.data(), family.size());
    m_lastFamilyIndex = m_out.fontIndex(name);
    return m_lastFamilyIndex;
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
        e.chr.color = m_out.colorIndex(s.color);
    if (s.hasBackground)
        e.chr.background = m_out.colorIndex(s.background);
    if (s.sizePoints > 0)
        e.points = s.sizePoints;
    else if (s.sizeFactor > 0)
        e.points *= s.sizeFactor;
    if (!s.family.empty())
        e.chr.font = fontFor(s.family);
    switch (s.display) {
    case CssStyle::Display::None:
        e.hidden = true;
        break;
    case CssStyle::Display::Inline:
        if (e.kind != Kind::Skip && e.kind != Kind::LineBreak)
            e.kind = Kind::Inline;
        break;
    case CssStyle::Display::Block:
        if (e.kind == Kind::Inline || e.kind == Kind::ListItem)
            e.kind = Kind::Block;
        break;
    case CssStyle::Display::ListItem:
        if (e.kind == Kind::Inline)
            e.kind = Kind::Block;
        break;
    case CssStyle::Display::TableRow:
        e.kind = Kind::Row;
        break;
    case CssStyle::Display::TableCell:
        e.kind = Kind::Cell;
        break;
    case CssStyle::Display::Unset:
        break;
    }
    if (s.whiteSpace != CssStyle::WhiteSpace::Unset) {
        e.preserve = s.whiteSpace == CssStyle::WhiteSpace::Preserve;
        e.preserveLines = s.whiteSpace == CssStyle::WhiteSpace::PreserveLines;
    }
}

void HtmlConverter::startElement(std::string_view tag, const char* const* attributes) {
    Element e = m_stack.back();
    Element& parent = m_stack.back();
    e.cells = 0;
    e.listCounter = 0;
    e.childList = ListStyle::None;
    const auto& table = tagTable();
    auto found = table.find(tag);
    if (found != table.end()) {
        const TagDefaults& d = found->second;
        e.kind = static_cast<Kind>(d.kind);
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
        if (const char* href = attribute(attributes, "href")) {
            m_links.append(QString::fromUtf8(href));
            e.chr.link = static_cast<int>(m_links.size());
            e.chr.underline = true;
            e.chr.color = m_out.colorIndex(qRgb(0, 0, 238));
        }
    }
    if (const char* style = attribute(attributes, "style"))
        applyStyle(e, parseInlineStyle(style));
    if (attribute(attributes, "hidden"))
        e.hidden = true;
    if (e.kind == Kind::Skip)
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
            m_marker = e.para.list == ListStyle::Bullet
                           ? QStringLiteral("\u2022")
                           : QString::number(++parent.listCounter) + QLatin1Char('.');
            break;
        case Kind::Cell:
            // The engine separates cells by tabs, but writes none at the start of a line.
            if (parent.cells++ > 0 && m_lineStarted && !m_requiredBreaks && !m_forcedBreaks) {
                writeText(u"\t");
                m_lineHasText = false;
            }
            break;
        case Kind::LineBreak:
            ++m_forcedBreaks;
            m_lineStarted = false;
            m_pendingSpace = false;
            m_lineHasText = false;
            break;
        default:
            break;
        }
        if (e.preserve && tag == "pre")
            m_skipNewline = true;
    }
    m_stack.push_back(e);
}

void HtmlConverter::endElement(std::string_view) {
    if (m_stack.size() <= 1)
        return;
    const Element e = m_stack.back();
    m_stack.pop_back();
    if (e.hidden)
        return;
    switch (e.kind) {
    case Kind::Paragraph:
        requireBreak(2);
        break;
    case Kind::ListItem:
        m_marker.clear(); // an item without text leaves no marker to the next paragraph
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
    if (newlines > m_requiredBreaks)
        m_requiredBreaks = newlines;
    m_pendingSpace = false;
    m_lineHasText = false;
}

void HtmlConverter::startText() {
    int newlines = m_requiredBreaks > m_forcedBreaks ? m_requiredBreaks : m_forcedBreaks;
    if (!m_hasText)
        newlines = m_forcedBreaks;
    if (m_openLink) {
        m_out.endLink();
        m_openLink = 0;
    }
    if (newlines > 0)
        m_lineStarted = false;
    for (int i = 0; i < newlines; ++i) {
        if (!m_inParagraph)
            m_out.beginParagraph(ParaProps());
        m_out.endParagraph();
        m_inParagraph = false;
        if (m_plain)
            *m_plain += QLatin1Char('\n');
    }
    m_requiredBreaks = 0;
    m_forcedBreaks = 0;
    if (!m_inParagraph) {
        m_out.beginParagraph(m_stack.back().para, m_marker);
        m_marker.clear();
        m_inParagraph = true;
    }
    m_hasText = true;
}

void HtmlConverter::writeText(QStringView text) {
    // A text document takes a paragraph separator for a paragraph break: write it as one.
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(QChar::ParagraphSeparator); at >= 0;
         at = text.indexOf(QChar::ParagraphSeparator, from)) {
        writeRun(text.mid(from, at - from));
        ++m_forcedBreaks;
        m_lineStarted = false;
        m_lineHasText = false;
        m_pendingSpace = false;
        from = at + 1;
    }
    writeRun(text.mid(from));
}

void HtmlConverter::writeRun(QStringView text) {
    if (text.isEmpty())
        return;
    const int link = m_stack.back().chr.link;
    if (m_requiredBreaks || m_forcedBreaks || !m_inParagraph)
        startText();
    if (link != m_openLink) {
        if (m_openLink)
            m_out.endLink();
        if (link)
            m_out.beginLink(m_links[link - 1]);
        m_openLink = link;
    }
    CharProps chr = m_stack.back().chr;
    chr.link = 0;
    m_out.setChar(chr);
    // The engine's plain copy has plain spaces where the page has non-breaking ones (its HTML
    // also writes them for spaces next to inline elements); the RTF keeps the same text. The
    // non-characters a text document keeps for itself are not text and become U+FFFD.
    const auto special = [](QChar c) {
        return c.unicode() == 0x00A0 || (c.unicode() >= 0xFDD0 && c.unicode() <= 0xFDD2);
    };
    if (std::any_of(text.begin(), text.end(), special)) {
        QString clean = text.toString();
        for (QChar& c : clean) {
            if (c.unicode() == 0x00A0)
                c = u' ';
            else if (special(c))
                c = QChar::ReplacementCharacter;
        }
        m_out.text(clean);
        if (m_plain)
            *m_plain += clean;
    } else {
        m_out.text(text);
        if (m_plain)
            *m_plain += text;
    }
    m_lineHasText = true;
    m_lineStarted = true;
}

void HtmlConverter::characters(const char* text, int length) {
    const Element& e = m_stack.back();
    if (e.hidden || e.invisible || e.kind == Kind::Skip || length <= 0)
        return;
    const char* p = text;
    const char* end = text + length;
    if (m_skipNewline) {
        m_skipNewline = false;
        if (p < end && *p == '\r')
            ++p;
        if (p < end && *p == '\n')
            ++p;
    }
    if (e.preserve || e.preserveLines) {
        while (p < end) {
            const char* line = p;
            while (p < end && *p != '\n' && *p != '\r')
                ++p;
            QString chunk = QString::fromUtf8(line, p - line);
            if (e.preserveLines)
                chunk = chunk.simplified();
            writeText(chunk);
            if (p < end) {
                if (*p == '\r' && p + 1 < end && p[1] == '\n')
                    ++p;
                ++p;
                ++m_forcedBreaks;
                m_lineHasText = false;
                m_lineStarted = false;
            }
        }
        return;
    }
    // Collapse white space as a browser does: runs become one space, dropped at the start
    // and end of a line.
    m_bytes.resize(0);
    while (p < end) {
        if (isCollapsibleSpace(*p)) {
            while (p < end && isCollapsibleSpace(*p))
                ++p;
            if (m_lineHasText || !m_bytes.isEmpty())
                m_pendingSpace = true;
            continue;
        }
        const char* word = p;
        while (p < end && !isCollapsibleSpace(*p))
            ++p;
        if (m_pendingSpace) {
            m_bytes += ' ';
            m_pendingSpace = false;
        }
        m_bytes.append(word, p - word);
    }
    if (!m_bytes.isEmpty()) {
        m_buffer = QString::fromUtf8(m_bytes);
        writeText(m_buffer);
    }
}

QByteArray HtmlConverter::finish() {
    if (m_openLink)
        m_out.endLink();
    if (m_inParagraph)
        m_out.endParagraph();
    return m_out.finish();
}

} // namespace velcaro::rtf
