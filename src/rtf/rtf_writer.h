#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace velcaro::rtf {

// The RTF document of `doc`: its text, character and paragraph formatting, lists, tables and
// hyperlinks (images are left out). Reading it back gives the same plain text.
QByteArray writeRtf(const QTextDocument& doc);

} // namespace velcaro::rtf
