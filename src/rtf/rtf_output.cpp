#include "rtf/rtf_output.h"

#include "rtf/code_pages.h"

#include <charconv>

namespace velcaro::rtf {
namespace {

const char kHex[] = "0123456789abcdef";

// Collects output in a local buffer and hands it to the QByteArray in blocks: escaping
// writes a few bytes per character, and QByteArray's own append costs more than that.
class ByteSink {
public:
    explicit ByteSink(QByteArray& out) : out_(out) {}
    ~ByteSink() { flush(); }
    void put(char c) {
        if (n_ == sizeof(buf_))
            flush();
        buf_[n_++] = c;
    }
    void put(const char* s) {
        while (*s)
            put(*s++);
    }
    void append(const char* s, qsizetype n) {
        for (qsizetype i = 0; i < n; ++i)
            put(s[i]);
    }
    void flush() {
        out_.append(buf_, n_);
        n_ = 0;
    }

private:
    QByteArray& out_;
    char buf_[2048];
    int n_ = 0;
};

// Appends `value` in decimal to a QByteArray or a ByteSink.
template <typename Out> void appendNumber(Out& out, int value) {
    char digits[12];
    const char* end = std::to_chars(digits, digits + sizeof(digits), value).ptr;
    out.append(digits, end - digits);
}

bool isPlainAscii(char16_t c) {
    return c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}';
}

} // namespace

RtfOutput::RtfOutput(const QString& defaultFamily, int defaultHalfPoints)
    : defaultHalfPoints_(defaultHalfPoints > 0 ? defaultHalfPoints : 24) {
    fontIndex(defaultFamily.isEmpty() ? QStringLiteral("Times New Roman") : defaultFamily);
    char_.font = 0;
    char_.halfPoints = defaultHalfPoints_;
    body_.reserve(1 << 16);
}

int RtfOutput::fontIndex(const QString& family) {
    auto found = fontIndex_.constFind(family);
    if (found != fontIndex_.constEnd())
        return found.value();
    const int index = static_cast<int>(fonts_.size());
    fonts_.append(family);
    fontIndex_.insert(family, index);
    return index;
}

int RtfOutput::colorIndex(QRgb rgb) {
    rgb |= 0xFF000000u;
    auto found = colorIndex_.constFind(rgb);
    if (found != colorIndex_.constEnd())
        return found.value();
    colors_.push_back(rgb);
    const int index = static_cast<int>(colors_.size()); // entry 0 is "auto"
    colorIndex_.insert(rgb, index);
    return index;
}

void RtfOutput::beginParagraph(const ParaProps& para, const QString& listMarker) {
    body_ += "\\pard";
    if (para.inTable)
        body_ += "\\intbl";
    if (para.rightToLeft)
        body_ += "\\rtlpar";
    switch (para.align) {
    case Align::Center:
        body_ += "\\qc";
        break;
    case Align::Right:
        body_ += "\\qr";
        break;
    case Align::Justify:
        body_ += "\\qj";
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
            body_ += name;
            appendNumber(body_, value);
        }
    }
    if (para.headingLevel > 0) {
        body_ += "\\outlinelevel";
        appendNumber(body_, para.headingLevel - 1);
    }
    body_ += ' ';
    if (para.list == ListStyle::None)
        return;
    // Word 6 paragraph numbering: the \pn group for readers that number paragraphs, the
    // \pntext marker for those that only show text.
    body_ += "{\\pntext ";
    appendEscaped(body_, listMarker);
    body_ += "\\tab}{\\*\\pn";
    switch (para.list) {
    case ListStyle::Bullet:
        body_ += "\\pnlvlblt{\\pntxtb \\'95}";
        break;
    case ListStyle::Decimal:
        body_ += "\\pnlvlbody\\pndec";
        break;
    case ListStyle::LowerAlpha:
        body_ += "\\pnlvlbody\\pnlcltr";
        break;
    case ListStyle::UpperAlpha:
        body_ += "\\pnlvlbody\\pnucltr";
        break;
    case ListStyle::LowerRoman:
        body_ += "\\pnlvlbody\\pnlcrm";
        break;
    case ListStyle::UpperRoman:
        body_ += "\\pnlvlbody\\pnucrm";
        break;
    case ListStyle::None:
        break;
    }
    if (para.list != ListStyle::Bullet)
        body_ += "\\pnstart1{\\pntxta .}";
    body_ += "\\pnindent360\\pnlvl";
    appendNumber(body_, para.listLevel + 1);
    body_ += "}";
}

void RtfOutput::endParagraph() {
    body_ += "\\par\r\n";
}

void RtfOutput::endCell() {
    body_ += "\\cell\r\n";
}

void RtfOutput::beginRow(const std::vector<int>& cellRightEdges) {
    body_ += "\\trowd\\trgaph108";
    for (int edge : cellRightEdges) {
        body_ += "\\cellx";
        appendNumber(body_, edge);
    }
    body_ += "\r\n";
}

void RtfOutput::endRow() {
    body_ += "\\row\r\n";
}

void RtfOutput::setChar(const CharProps& p) {
    CharProps& c = char_;
    const qsizetype before = body_.size();
    if (p.bold != c.bold)
        body_ += p.bold ? "\\b" : "\\b0";
    if (p.italic != c.italic)
        body_ += p.italic ? "\\i" : "\\i0";
    if (p.underline != c.underline)
        body_ += p.underline ? "\\ul" : "\\ulnone";
    if (p.strike != c.strike)
        body_ += p.strike ? "\\strike" : "\\strike0";
    if (p.vertical != c.vertical)
        body_ += p.vertical > 0 ? "\\super" : (p.vertical < 0 ? "\\sub" : "\\nosupersub");
    const int font = p.font < 0 ? 0 : p.font;
    if (font != c.font) {
        body_ += "\\f";
        appendNumber(body_, font);
    }
    const int size = p.halfPoints > 0 ? p.halfPoints : defaultHalfPoints_;
    if (size != c.halfPoints) {
        body_ += "\\fs";
        appendNumber(body_, size);
    }
    if (p.color != c.color) {
        body_ += "\\cf";
        appendNumber(body_, p.color);
    }
    if (p.background != c.background) {
        body_ += "\\highlight";
        appendNumber(body_, p.background);
    }
    if (body_.size() != before)
        body_ += ' ';
    c = p;
    c.font = font;
    c.halfPoints = size;
}

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
        appendNumber(sink, static_cast<int16_t>(c));
        sink.put('?');
    }
}

void RtfOutput::text(QStringView text) {
    appendEscaped(body_, text);
}

void RtfOutput::beginLink(const QString& target) {
    body_ += "{\\field{\\*\\fldinst{HYPERLINK \"";
    QString quoted = target;
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    quoted.replace(QLatin1String("\""), QLatin1String("\\\""));
    appendEscaped(body_, quoted);
    body_ += "\"}}{\\fldrslt{";
    linkSaved_ = char_;
    inLink_ = true;
}

void RtfOutput::endLink() {
    if (!inLink_)
        return;
    body_ += "}}}";
    char_ = linkSaved_;
    inLink_ = false;
}

QByteArray RtfOutput::finish() {
    endLink();
    QByteArray out;
    out.reserve(body_.size() + 512);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1040\\uc1{\\fonttbl";
    for (int i = 0; i < fonts_.size(); ++i) {
        out += "{\\f";
        appendNumber(out, i);
        out += "\\fnil\\fcharset0 ";
        appendEscaped(out, fonts_[i]);
        out += ";}";
    }
    out += "}\r\n{\\colortbl;";
    for (QRgb rgb : colors_) {
        out += "\\red";
        appendNumber(out, qRed(rgb));
        out += "\\green";
        appendNumber(out, qGreen(rgb));
        out += "\\blue";
        appendNumber(out, qBlue(rgb));
        out += ';';
    }
    out += "}\r\n\\viewkind4\\pard\\plain\\f0\\fs";
    appendNumber(out, defaultHalfPoints_);
    out += "\r\n";
    out += body_;
    out += "}\r\n";
    return out;
}

} // namespace velcaro::rtf
