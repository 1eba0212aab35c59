#include "rtf/html_sax.h"

#include <cstring>
#include <libxml/HTMLparser.h>

namespace velcaro::rtf {
namespace {

HtmlSaxHandler& handler(void* context) {
    return *static_cast<HtmlSaxHandler*>(context);
}

void onStart(void* context, const xmlChar* name, const xmlChar** attributes) {
    handler(context).startElement(reinterpret_cast<const char*>(name),
                                  reinterpret_cast<const char* const*>(attributes));
}

void onEnd(void* context, const xmlChar* name) {
    handler(context).endElement(reinterpret_cast<const char*>(name));
}

void onCharacters(void* context, const xmlChar* text, int length) {
    handler(context).characters(reinterpret_cast<const char*>(text), length);
}

void ignoreMessage(void*, const char*, ...) {}

} // namespace

void parseHtml(const QByteArray& html, HtmlSaxHandler& target) {
    htmlSAXHandler sax{};
    sax.startElement = onStart;
    sax.endElement = onEnd;
    sax.characters = onCharacters;
    sax.ignorableWhitespace = onCharacters;
    sax.cdataBlock = onCharacters;
    sax.warning = ignoreMessage;
    sax.error = ignoreMessage;
    htmlParserCtxtPtr ctxt =
        htmlCreatePushParserCtxt(&sax, &target, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
    if (!ctxt)
        return;
    htmlCtxtUseOptions(ctxt, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    // Fed in slices so libxml2 never holds more than one slice of unparsed input.
    constexpr qsizetype kSlice = 1 << 20;
    for (qsizetype at = 0; at < html.size(); at += kSlice) {
        const qsizetype n = qMin(kSlice, html.size() - at);
        htmlParseChunk(ctxt, html.constData() + at, static_cast<int>(n), 0);
    }
    htmlParseChunk(ctxt, nullptr, 0, 1);
    htmlFreeParserCtxt(ctxt);
}

const char* htmlAttribute(const char* const* attributes, const char* name) {
    if (!attributes)
        return nullptr;
    for (; attributes[0]; attributes += 2) {
        if (std::strcmp(attributes[0], name) == 0)
            return attributes[1] ? attributes[1] : "";
    }
    return nullptr;
}

} // namespace velcaro::rtf
