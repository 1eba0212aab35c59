#include "rtf/html_to_rtf.h"

#include "rtf/html_converter.h"
#include "rtf/html_sax.h"

namespace velcaro::rtf {

QByteArray htmlToRtf(const QByteArray& html, QString* plainText) {
    HtmlConverter conversion(plainText);
    parseHtml(html, conversion);
    return conversion.finish();
}

} // namespace velcaro::rtf
