#pragma once

#include <QByteArray>
#include <string_view>

namespace velcaro::rtf {

// What one streaming pass over an HTML document reports, in document order: libxml2's HTML
// parser closes every element it opens, also those the document leaves open.
class HtmlSaxHandler {
public:
    virtual ~HtmlSaxHandler() = default;
    // `attributes` is null or alternates names and values (a value may be null), ending in null.
    virtual void startElement(std::string_view tag, const char* const* attributes) = 0;
    virtual void endElement(std::string_view tag) = 0;
    // UTF-8 text, entities decoded.
    virtual void characters(const char* text, int length) = 0;
};

// Parses `html` (UTF-8) with libxml2's HTML push parser, fed in 1 MB slices so that it never
// holds more than one slice of unparsed input, and reports it to `handler`. Errors are
// recovered from silently.
void parseHtml(const QByteArray& html, HtmlSaxHandler& handler);

// The value of attribute `name` (lower case) in a SAX attribute list, "" for an attribute
// without a value, nullptr when it is absent.
const char* htmlAttribute(const char* const* attributes, const char* name);

} // namespace velcaro::rtf
