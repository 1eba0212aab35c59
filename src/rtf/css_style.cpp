#include "rtf/css_style.h"

#include "rtf/hex_digit.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace velcaro::rtf {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool contains(std::string_view s, std::string_view part) {
    return s.find(part) != std::string_view::npos;
}

double number(std::string_view s, std::string_view& unit) {
    char buf[32];
    const std::size_t n = s.size() < sizeof(buf) - 1 ? s.size() : sizeof(buf) - 1;
    std::memcpy(buf, s.data(), n);
    buf[n] = 0;
    char* end = nullptr;
    const double v = std::strtod(buf, &end);
    // strtod also reads "nan" and "inf", which no CSS number is.
    if (!std::isfinite(v)) {
        unit = s;
        return 0;
    }
    unit = s.substr(static_cast<std::size_t>(end - buf));
    return v;
}

void parseFontSize(std::string_view v, CssStyle& style) {
    struct Keyword {
        const char* name;
        double px;
    };
    static const Keyword keywords[] = {{"xx-small", 9},  {"x-small", 10},  {"small", 13},
                                       {"medium", 16},   {"large", 18},    {"x-large", 24},
                                       {"xx-large", 32}, {"xxx-large", 48}};
    for (const Keyword& k : keywords) {
        if (v == k.name) {
            style.sizePoints = k.px * 0.75;
            return;
        }
    }
    if (v == "smaller") {
        style.sizeFactor = 0.83;
        return;
    }
    if (v == "larger") {
        style.sizeFactor = 1.2;
        return;
    }
    std::string_view unit;
    const double value = number(v, unit);
    if (value <= 0 || value > 1600)
        return;
    if (unit == "px")
        style.sizePoints = value * 0.75;
    else if (unit == "pt")
        style.sizePoints = value;
    else if (unit == "em" || unit == "rem")
        style.sizeFactor = value;
    else if (unit == "%")
        style.sizeFactor = value / 100;
}

void parseDeclaration(std::string_view name, std::string_view v, CssStyle& style) {
    switch (name.size()) {
    case 5:
        if (name == "color")
            style.hasColor = parseCssColor(v, style.color);
        else if (name == "float")
            style.floating = v == "left" || v == "right";
        return;
    case 7:
        if (name == "display") {
            style.flexContainer = v == "flex" || v == "grid" || v == "inline-flex" ||
                                  v == "inline-grid" || v == "-webkit-box" ||
                                  v == "-webkit-inline-box";
            if (v == "none")
                style.display = CssStyle::Display::None;
            else if (v == "list-item")
                style.display = CssStyle::Display::ListItem;
            else if (v == "table-row")
                style.display = CssStyle::Display::TableRow;
            else if (v == "table-cell")
                style.display = CssStyle::Display::TableCell;
            else if (startsWith(v, "inline") || v == "contents")
                style.display = CssStyle::Display::Inline;
            else
                style.display = CssStyle::Display::Block;
        }
        return;
    case 8:
        if (name == "position")
            style.positioned = v == "absolute" || v == "fixed";
        return;
    case 9:
        if (name == "font-size")
            parseFontSize(v, style);
        return;
    case 10:
        if (name == "font-style")
            style.italic = (v == "italic" || startsWith(v, "oblique")) ? CssStyle::Tri::Yes
                                                                       : CssStyle::Tri::No;
        else if (name == "text-align") {
            if (v == "center" || v == "-webkit-center")
                style.align = 1;
            else if (v == "right" || v == "-webkit-right")
                style.align = 2;
            else if (v == "justify")
                style.align = 3;
            else
                style.align = 0;
        } else if (name == "visibility")
            style.hidden =
                (v == "hidden" || v == "collapse") ? CssStyle::Tri::Yes : CssStyle::Tri::No;
        return;
    case 11:
        if (name == "font-weight") {
            if (v == "bold" || v == "bolder")
                style.bold = CssStyle::Tri::Yes;
            else if (std::string_view unit; !v.empty() && v[0] >= '0' && v[0] <= '9')
                style.bold = number(v, unit) >= 600 ? CssStyle::Tri::Yes : CssStyle::Tri::No;
            else
                style.bold = CssStyle::Tri::No;
        } else if (name == "font-family") {
            std::string_view first = v.substr(0, v.find(','));
            first = trim(first);
            if (first.size() >= 2 && (first.front() == '"' || first.front() == '\''))
                first = first.substr(1, first.size() - 2);
            style.family = first;
        } else if (name == "white-space") {
            if (v == "pre" || v == "pre-wrap" || v == "break-spaces")
                style.whiteSpace = CssStyle::WhiteSpace::Preserve;
            else if (v == "pre-line")
                style.whiteSpace = CssStyle::WhiteSpace::PreserveLines;
            else
                style.whiteSpace = CssStyle::WhiteSpace::Collapse;
        }
        return;
    case 14:
        if (name == "vertical-align")
            style.vertical = v == "super" ? 1 : (v == "sub" ? -1 : 0);
        return;
    case 15:
    case 20:
        if (name == "text-decoration" || name == "text-decoration-line") {
            if (v == "initial" || v == "inherit")
                return;
            style.underline = contains(v, "underline") ? CssStyle::Tri::Yes : CssStyle::Tri::No;
            style.strike = contains(v, "line-through") ? CssStyle::Tri::Yes : CssStyle::Tri::No;
        }
        return;
    case 16:
        if (name == "background-color")
            style.hasBackground = parseCssColor(v, style.background);
        return;
    default:
        return;
    }
}

} // namespace

bool parseCssColor(std::string_view v, QRgb& rgb) {
    v = trim(v);
    if (!v.empty() && v[0] == '#') {
        const std::string_view h = v.substr(1);
        int d[8];
        for (std::size_t i = 0; i < h.size() && i < 8; ++i)
            if ((d[i] = hexDigitValue(h[i])) < 0)
                return false;
        if (h.size() == 3 || h.size() == 4) {
            if (h.size() == 4 && d[3] == 0)
                return false;
            rgb = qRgb(d[0] * 17, d[1] * 17, d[2] * 17);
            return true;
        }
        if (h.size() == 6 || h.size() == 8) {
            if (h.size() == 8 && d[6] == 0 && d[7] == 0)
                return false;
            rgb = qRgb(d[0] * 16 + d[1], d[2] * 16 + d[3], d[4] * 16 + d[5]);
            return true;
        }
        return false;
    }
    if (startsWith(v, "rgb")) {
        const std::size_t open = v.find('(');
        if (open == std::string_view::npos)
            return false;
        double c[4] = {0, 0, 0, 1};
        std::string_view rest = v.substr(open + 1);
        for (int i = 0; i < 4 && !rest.empty(); ++i) {
            rest = trim(rest);
            std::string_view unit;
            c[i] = number(rest, unit);
            if (!unit.empty() && unit[0] == '%')
                c[i] = i < 3 ? c[i] * 2.55 : c[i] / 100;
            const std::size_t next = rest.find_first_of(",/ )");
            if (next == std::string_view::npos)
                break;
            rest = rest.substr(next);
            while (!rest.empty() && (rest[0] == ',' || rest[0] == ' ' || rest[0] == '/'))
                rest.remove_prefix(1);
            if (!rest.empty() && rest[0] == ')')
                break;
        }
        if (c[3] <= 0)
            return false;
        const auto channel = [](double x) {
            return x < 0 ? 0 : (x > 255 ? 255 : int(x + 0.5));
        };
        rgb = qRgb(channel(c[0]), channel(c[1]), channel(c[2]));
        return true;
    }
    struct Named {
        const char* name;
        QRgb rgb;
    };
    static const Named names[] = {{"black", 0x000000},  {"white", 0xffffff}, {"red", 0xff0000},
                                  {"green", 0x008000},  {"blue", 0x0000ff},  {"yellow", 0xffff00},
                                  {"gray", 0x808080},   {"grey", 0x808080},  {"silver", 0xc0c0c0},
                                  {"maroon", 0x800000}, {"navy", 0x000080},  {"purple", 0x800080},
                                  {"orange", 0xffa500}, {"teal", 0x008080},  {"olive", 0x808000},
                                  {"lime", 0x00ff00},   {"aqua", 0x00ffff},  {"fuchsia", 0xff00ff}};
    for (const Named& n : names) {
        if (v == n.name) {
            rgb = n.rgb | 0xff000000u;
            return true;
        }
    }
    return false;
}

CssStyle parseInlineStyle(std::string_view style) {
    CssStyle result;
    while (!style.empty()) {
        // The declaration ends at a semicolon that is not inside quotes or parentheses.
        std::size_t end = 0;
        char close = 0;
        for (; end < style.size(); ++end) {
            const char c = style[end];
            if (close) {
                if (c == close)
                    close = 0;
            } else if (c == ';') {
                break;
            } else if (c == '"' || c == '\'') {
                close = c;
            } else if (c == '(') {
                close = ')';
            }
        }
        if (end >= style.size())
            end = std::string_view::npos;
        const std::string_view decl = style.substr(0, end);
        style = end == std::string_view::npos ? std::string_view() : style.substr(end + 1);
        const std::size_t colon = decl.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string_view value = trim(decl.substr(colon + 1));
        if (const std::size_t important = value.find("!important");
            important != std::string_view::npos)
            value = trim(value.substr(0, important));
        parseDeclaration(trim(decl.substr(0, colon)), value, result);
    }
    return result;
}

} // namespace velcaro::rtf
