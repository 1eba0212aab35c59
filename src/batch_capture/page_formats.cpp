#include "batch_capture/page_formats.h"

#include "markdown/html_to_markdown.h"
#include "rtf/html_to_rtf.h"

namespace velcaro::page_formats {

QByteArray text(const QString& copiedText) {
    // What the window's text box makes of a plain text it is given and gives back: its
    // paragraphs end in a line feed, whatever ended them, and the box has no non-breaking space.
    QString text = copiedText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u == u'\r' || u == 0x2028 || u == 0x2029 || u == 0xfdd0 || u == 0xfdd1)
            c = u'\n';
        else if (u == 0x00a0)
            c = u' ';
    }
    return text.toUtf8();
}

QByteArray rtf(const QString& copiedHtml) {
    return copiedHtml.isEmpty() ? QByteArray() : rtf::htmlToRtf(copiedHtml.toUtf8());
}

QByteArray markdown(const QString& copiedHtml, const QUrl& pageUrl) {
    return copiedHtml.isEmpty() ? QByteArray()
                                : markdown::htmlToMarkdown(copiedHtml.toUtf8(), pageUrl).toUtf8();
}

} // namespace velcaro::page_formats
