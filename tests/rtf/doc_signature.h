#pragma once

#include <QString>

class QTextDocument;

namespace velcaro::rtf::test {

// A line per paragraph describing its formatting and its runs of equally formatted text,
// with defaults resolved against the document's default font, so that two documents that
// show the same thing have the same signature.
QString documentSignature(const QTextDocument& doc);

} // namespace velcaro::rtf::test
