#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace velcaro::markdown {

// Converts the HTML the web engine puts on the clipboard when it copies a selection (a UTF-8
// fragment whose elements carry their computed style inline) to GitHub-flavoured Markdown, in
// one streaming pass over libxml2's HTML parser.
//
// Its text is the text of the engine's plain copy of the same selection: rendered, the
// Markdown gives back the same words in the same order. Hidden elements (display: none,
// visibility: hidden, the hidden attribute, scripts and styles) are left out as that copy
// leaves them out, white space collapses as there, and an image's alternative text stands in
// the image's place.
//
// Headings, paragraphs, emphasis (from tags and from the inline font-weight and font-style),
// links and images, nested lists with their numbers, block quotes, rules, line breaks, code
// spans (code tags and monospace fonts) and fenced code blocks (with the language of a
// language-xxx or lang-xxx class) are kept; tables become pipe tables (see PipeTable). Link and
// image addresses are resolved against `pageUrl`, so they are absolute when it is; links given
// with a scheme other than http, https and mailto (javascript:, vbscript:, data:, file:) are left
// as their text. Characters Markdown would read as syntax are escaped.
//
// Time and memory are linear in the input; nothing recurses on the document's depth, and
// containers deeper than MarkdownBuilder::kMaxDepth are written at that depth.
QString htmlToMarkdown(const QByteArray& engineHtml, const QUrl& pageUrl);

} // namespace velcaro::markdown
