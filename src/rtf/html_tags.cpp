#include "rtf/html_tags.h"

#include <unordered_map>

namespace velcaro::rtf {
namespace {

const std::unordered_map<std::string_view, TagDefaults>& tagTable() {
    static const std::unordered_map<std::string_view, TagDefaults> table = [] {
        std::unordered_map<std::string_view, TagDefaults> t;
        for (const char* block :
             {"div",     "ul",         "ol",      "dl",     "dt",    "dd",       "blockquote",
              "section", "article",    "header",  "footer", "nav",   "aside",    "main",
              "figure",  "figcaption", "address", "hr",     "form",  "fieldset", "details",
              "summary", "center",     "caption", "table",  "thead", "tbody",    "tfoot",
              "legend",  "body",       "html",    "menu",   "hgroup"})
            t[block] = TagDefaults{ElementKind::Block};
        for (const char* skip :
             {"head",     "script", "style",  "title",  "template", "noscript", "select", "option",
              "datalist", "object", "iframe", "svg",    "math",     "textarea", "input",  "button",
              "img",      "video",  "audio",  "canvas", "map",      "meta",     "link"})
            t[skip] = TagDefaults{ElementKind::Skip};
        t["p"] = TagDefaults{ElementKind::Paragraph};
        t["li"] = TagDefaults{ElementKind::ListItem};
        t["tr"] = TagDefaults{ElementKind::Row};
        t["td"] = TagDefaults{ElementKind::Cell};
        TagDefaults th{ElementKind::Cell};
        th.bold = true;
        t["th"] = th;
        t["br"] = TagDefaults{ElementKind::LineBreak};
        TagDefaults pre{ElementKind::Block};
        pre.monospace = pre.preserve = true;
        t["pre"] = pre;
        t["listing"] = pre;
        t["xmp"] = pre;
        const double headingSizes[] = {2, 1.5, 1.17, 1, 0.83, 0.67};
        const char* headings[] = {"h1", "h2", "h3", "h4", "h5", "h6"};
        for (int i = 0; i < 6; ++i) {
            TagDefaults h{ElementKind::Block};
            h.bold = true;
            h.sizeFactor = headingSizes[i];
            h.heading = i + 1;
            t[headings[i]] = h;
        }
        TagDefaults bold{ElementKind::Inline};
        bold.bold = true;
        t["b"] = t["strong"] = bold;
        TagDefaults italic{ElementKind::Inline};
        italic.italic = true;
        t["i"] = t["em"] = t["cite"] = t["var"] = t["dfn"] = italic;
        TagDefaults underline{ElementKind::Inline};
        underline.underline = true;
        t["u"] = t["ins"] = underline;
        TagDefaults strike{ElementKind::Inline};
        strike.strike = true;
        t["s"] = t["strike"] = t["del"] = strike;
        TagDefaults sup{ElementKind::Inline};
        sup.vertical = 1;
        sup.sizeFactor = 0.83;
        t["sup"] = sup;
        TagDefaults sub = sup;
        sub.vertical = -1;
        t["sub"] = sub;
        TagDefaults mono{ElementKind::Inline};
        mono.monospace = true;
        t["code"] = t["tt"] = t["kbd"] = t["samp"] = mono;
        TagDefaults small{ElementKind::Inline};
        small.sizeFactor = 0.83;
        t["small"] = small;
        return t;
    }();
    return table;
}

} // namespace

const TagDefaults* tagDefaults(std::string_view tag) {
    const auto& table = tagTable();
    const auto found = table.find(tag);
    return found == table.end() ? nullptr : &found->second;
}

ElementKind displayedKind(ElementKind kind, CssStyle::Display display) {
    using Kind = ElementKind;
    switch (display) {
    case CssStyle::Display::Inline:
        return kind == Kind::Skip || kind == Kind::LineBreak ? kind : Kind::Inline;
    case CssStyle::Display::Block:
        return kind == Kind::Inline || kind == Kind::ListItem ? Kind::Block : kind;
    case CssStyle::Display::ListItem:
        return kind == Kind::Inline ? Kind::Block : kind;
    case CssStyle::Display::TableRow:
        return Kind::Row;
    case CssStyle::Display::TableCell:
        return Kind::Cell;
    case CssStyle::Display::None:
    case CssStyle::Display::Unset:
        break;
    }
    return kind;
}

} // namespace velcaro::rtf
