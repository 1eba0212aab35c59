#include "rtf/rtf_output.h"

#include "rtf/code_pages.h"

namespace velcaro::rtf {
namespace {

const char kHex[] = "0123456789abcdef";

void appendNumber(QByteArray& out, int value) {
    char buf[16];
    int n = 0;
    unsigned v = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        buf[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    if (value < 0)
        out += '-';
    while (n)
        out += buf[--n];
}

bool isPlainAscii(char16_t c) {
    return c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}';
}

} // namespace

RtfOutput::RtfOutput(const QString& defaultFamily, int defaultHalfPoints)
    : m_defaultHalfPoints(defaultHalfPoints > 0 ? defaultHalfPoints : 24) {
    fontIndex(defaultFamily.isEmpty() ? QStringLiteral("Times New Roman") : defaultFamily);
    m_char.font = 0;
    m_char.halfPoints = m_defaultHalfPoints;
    m_body.reserve(1 << 16);
}

int RtfOutput::fontIndex(const QString& family) {
    auto found = m_fontIndex.constFind(family);
    if (found != m_fontIndex.constEnd())
        return found.value();
    const int index = static_cast<int>(m_fonts.size());
    m_fonts.append(family);
    m_fontIndex.insert(family, index);
    return index;
}

int RtfOutput::colorIndex(QRgb rgb) {
    rgb |= 0xFF000000u;
    auto found = m_colorIndex.constFind(rgb);
    if (found != m_colorIndex.constEnd())
        return found.value();
    m_colors.push_back(rgb);
    const int index = static_cast<int>(m_colors.size()); // entry 0 is "auto"
    m_colorIndex.insert(rgb, index);
    return index;
}

void RtfOutput::word(const char* controlWord) {
    m_body += '\\';
    m_body += controlWord;
    m_body += ' ';
}

void RtfOutput::word(const char* controlWord, int value) {
    m_body += '\\';
    m_body += controlWord;
    appendNumber(m_body, value);
    m_body += ' ';
}

void RtfOutput::beginParagraph(const ParaProps& para, const QString& listMarker) {
    m_body += "\\pard";
    if (para.inTable)
        m_body += "\\intbl";
    if (para.rightToLeft)
        m_body += "\\rtlpar";
    switch (para.align) {
    case Align::Center:
        m_body += "\\qc";
        break;
    case Align::Right:
        m_body += "\\qr";
        break;
    case Align::Justify:
        m_body += "\\qj";
        break;
    case Align::Left:
        break;
    }
    const std::pair<const char*, int> lengths[] = {{"\\li", para.left},
                                                   {"\\ri", para.right},
                                                   {"\\fi", para.firstLine},
                                                   {"\\sb", para.before},
                                                   {"\\sa", para.after}};
    for (const auto& [name, value] : lengths) {
        if (value != 0) {
            m_body += name;
            appendNumber(m_body, value);
        }
    }
    if (para.headingLevel > 0) {
        m_body += "\\outlinelevel";
        appendNumber(m_body, para.headingLevel - 1);
    }
    m_body += ' ';
    if (para.list == ListStyle::None)
        return;
    // Word 6 paragraph numbering: the \pn group for readers that number paragraphs, the
    // \pntext marker for those that only show text.
    m_body += "{\\pntext ";
    appendEscaped(m_body, listMarker);
    m_body += "\\tab}{\\*\\pn";
    switch (para.list) {
    case ListStyle::Bullet:
        m_body += "\\pnlvlblt{\\pntxtb \\'95}";
        break;
    case ListStyle::Decimal:
        m_body += "\\pnlvlbody\\pndec";
        break;
    case ListStyle::LowerAlpha:
        m_body += "\\pnlvlbody\\pnlcltr";
        break;
    case ListStyle::UpperAlpha:
        m_body += "\\pnlvlbody\\pnucltr";
        break;
    case ListStyle::LowerRoman:
        m_body += "\\pnlvlbody\\pnlcrm";
        break;
    case ListStyle::UpperRoman:
        m_body += "\\pnlvlbody\\pnucrm";
        break;
    case ListStyle::None:
        break;
    }
    if (para.list != ListStyle::Bullet)
        m_body += "\\pnstart1{\\pntxta .}";
    m_body += "\\pnindent360\\pnlvl";
    appendNumber(m_body, para.listLevel + 1);
    m_body += "}";
}

void RtfOutput::endParagraph() {
    m_body += "\\par\r\n";
}

void RtfOutput::endCell() {
    m_body += "\\cell\r\n";
}

void RtfOutput::beginRow(const std::vector<int>& cellRightEdges) {
    m_body += "\\trowd\\trgaph108";
    for (int edge : cellRightEdges) {
        m_body += "\\cellx";
        appendNumber(m_body, edge);
    }
    m_body += "\r\n";
}

void RtfOutput::endRow() {
    m_body += "\\row\r\n";
}

void RtfOutput::setChar(const CharProps& p) {
    CharProps& c = m_char;
    const qsizetype before = m_body.size();
    if (p.bold != c.bold)
        m_body += p.bold ? "\\b" : "\\b0";
    if (p.italic != c.italic)
        m_body += p.italic ? "\\i" : "\\i0";
    if (p.underline != c.underline)
        m_body += p.underline ? "\\ul" : "\\ulnone";
    if (p.strike != c.strike)
        m_body += p.strike ? "\\strike" : "\\strike0";
    if (p.vertical != c.vertical)
        m_body += p.vertical > 0 ? "\\super" : (p.vertical < 0 ? "\\sub" : "\\nosupersub");
    const int font = p.font < 0 ? 0 : p.font;
    if (font != c.font) {
        m_body += "\\f";
        appendNumber(m_body, font);
    }
    const int size = p.halfPoints > 0 ? p.halfPoints : m_defaultHalfPoints;
    if (size != c.halfPoints) {
        m_body += "\\fs";
        appendNumber(m_body, size);
    }
    if (p.color != c.color) {
        m_body += "\\cf";
        appendNumber(m_body, p.color);
    }
    if (p.background != c.background) {
        m_body += "\\highlight";
        appendNumber(m_body, p.background);
    }
    if (m_body.size() != before)
        m_body += ' ';
    c = p;
    c.font = font;
    c.halfPoints = size;
}

namespace {

// Collects output in a local buffer and hands it to the QByteArray in blocks: escaping
// writes a few bytes per character, and QByteArray's own append costs more than that.
class ByteSink {
public:
    explicit ByteSink(QByteArray& out) : m_out(out) {}
    ~ByteSink() { flush(); }
    void put(char c) {
        if (m_n == sizeof(m_buf))
            flush();
        m_buf[m_n++] = c;
    }
    void put(const char* s) {
        while (*s)
            put(*s++);
    }
    void number(int value) {
        char digits[16];
        int n = 0;
        unsigned v = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
        do {
            digits[n++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v);
        if (value < 0)
            put('-');
        while (n)
            put(digits[--n]);
    }
    void flush() {
        m_out.append(m_buf, m_n);
        m_n = 0;
    }

private:
    QByteArray& m_out;
    char m_buf[2048];
    int m_n = 0;
};

} // namespace

void RtfOutput::appendEscaped(QByteArray& out, QStringView text) {
    ByteSink sink(out);
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (isPlainAscii(c)) {
            sink.put(static_cast<char>(c));
            continue;
        }
        switch (c) {
        case '\\':
            sink.put("\\\\");
            continue;
        case '{':
            sink.put("\\{");
            continue;
        case '}':
            sink.put("\\}");
            continue;
        case '\t':
            sink.put("\\tab ");
            continue;
        case 0x2028:
            sink.put("\\line ");
            continue;
        case 0x00A0:
            sink.put("\\~");
            continue;
        case 0x00AD:
            sink.put("\\-");
            continue;
        case 0x2011:
            sink.put("\\_");
            continue;
        default:
            break;
        }
        const int byte = c >= 0x80 ? unicodeToCp1252(c) : -1;
        if (byte >= 0x80) {
            sink.put('\\');
            sink.put('\'');
            sink.put(kHex[byte >> 4]);
            sink.put(kHex[byte & 15]);
            continue;
        }
        // Everything else, control characters and surrogate halves included, as a signed
        // 16-bit \u value with a question mark for readers without Unicode.
        sink.put("\\u");
        sink.number(static_cast<int16_t>(c));
        sink.put('?');
    }
}

void RtfOutput::text(QStringView text) {
    appendEscaped(m_body, text);
}

void RtfOutput::beginLink(const QString& target) {
    m_body += "{\\field{\\*\\fldinst{HYPERLINK \"";
    QString quoted = target;
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    quoted.replace(QLatin1String("\""), QLatin1String("\\\""));
    appendEscaped(m_body, quoted);
    m_body += "\"}}{\\fldrslt{";
    m_linkSaved = m_char;
    m_inLink = true;
}

void RtfOutput::endLink() {
    if (!m_inLink)
        return;
    m_body += "}}}";
    m_char = m_linkSaved;
    m_inLink = false;
}

QByteArray RtfOutput::finish() {
    endLink();
    QByteArray out;
    out.reserve(m_body.size() + 512);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1040\\uc1{\\fonttbl";
    for (int i = 0; i < m_fonts.size(); ++i) {
        out += "{\\f";
        appendNumber(out, i);
        out += "\\fnil\\fcharset0 ";
        appendEscaped(out, m_fonts[i]);
        out += ";}";
    }
    out += "}\r\n{\\colortbl;";
    for (QRgb rgb : m_colors) {
        out += "\\red";
        appendNumber(out, qRed(rgb));
        out += "\\green";
        appendNumber(out, qGreen(rgb));
        out += "\\blue";
        appendNumber(out, qBlue(rgb));
        out += ';';
    }
    out += "}\r\n\\viewkind4\\pard\\plain\\f0\\fs";
    appendNumber(out, m_defaultHalfPoints);
    out += "\r\n";
    out += m_body;
    out += "}\r\n";
    return out;
}

} // namespace velcaro::rtf
