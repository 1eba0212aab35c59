#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace velcaro::rtf {

// Replaces the content of `doc` with the RTF document `rtf`. Input that does not start with
// "{\rtf" is taken as plain text (UTF-8); an empty input empties the document. Damaged or
// hostile input is read as far as it makes sense, in time linear in its size.
void readRtf(const QByteArray& rtf, QTextDocument& doc);

// The same for an RTF document held in a string (the clipboard's, for example): characters up
// to U+00FF stand for the bytes of the document, characters above are read as literal text.
void readRtf(const QString& rtf, QTextDocument& doc);

} // namespace velcaro::rtf
