#include "rtf/html_to_rtf.h"

#include "rtf/html_converter.h"

#include <libxml/HTMLparser.h>

namespace velcaro::rtf {
namespace {

HtmlConverter& converter(void* context) {
    return *static_cast<HtmlConverter*>(context);
}

void onStart(void* context, const xmlChar* name, const xmlChar** attributes) {
    converter(context).startElement(reinterpret_cast<const char*>(name),
                                    reinterpret_cast<const char* const*>(attributes));
}

void onEnd(void* context, const xmlChar* name) {
    converter(context).endElement(reinterpret_cast<const char*>(name));
}

void onCharacters(void* context, const xmlChar* text, int length) {
    converter(context).characters(reinterpret_cast<const char*>(text), length);
}

void ignoreMessage(void*, const char*, ...) {}

} // namespace

QByteArray htmlToRtf(const QByteArray& html, QString* plainText) {
    HtmlConverter conversion(plainText);
    htmlSAXHandler sax{};
    sax.startElement = onStart;
    sax.endElement = onEnd;
    sax.characters = onCharacters;
    sax.ignorableWhitespace = onCharacters;
    sax.cdataBlock = onCharacters;
    sax.warning = ignoreMessage;
    sax.error = ignoreMessage;
    htmlParserCtxtPtr ctxt =
        htmlCreatePushParserCtxt(&sax, &conversion, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
    if (!ctxt)
        return conversion.finish();
    htmlCtxtUseOptions(ctxt, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    // Fed in slices so libxml2 never holds more than one slice of unparsed input.
    constexpr qsizetype kSlice = 1 << 20;
    for (qsizetype at = 0; at < html.size(); at += kSlice) {
        const qsizetype n = qMin(kSlice, html.size() - at);
        htmlParseChunk(ctxt, html.constData() + at, static_cast<int>(n), 0);
    }
    htmlParseChunk(ctxt, nullptr, 0, 1);
    htmlFreeParserCtxt(ctxt);
    return conversion.finish();
}

} // namespace velcaro::rtf
