#pragma once

#include <QByteArray>
#include <QString>

namespace velcaro::rtf {

// Converts the HTML the web engine puts on the clipboard (a fragment whose elements carry
// their computed style inline, UTF-8) straight to RTF, in one streaming pass over libxml2's
// HTML parser. The text follows the engine's own plain-text copy: blocks become paragraphs,
// white space collapses as the browser collapses it, table cells are separated by tabs,
// hidden elements are left out. With `plainText`, also gives the text of that RTF, its
// paragraphs separated by newlines.
QByteArray htmlToRtf(const QByteArray& html, QString* plainText = nullptr);

} // namespace velcaro::rtf
