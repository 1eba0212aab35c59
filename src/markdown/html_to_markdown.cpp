#include "markdown/html_to_markdown.h"

#include "markdown/markdown_converter.h"
#include "rtf/html_sax.h"

namespace velcaro::markdown {

QString htmlToMarkdown(const QByteArray& engineHtml, const QUrl& pageUrl) {
    MarkdownConverter conversion(pageUrl);
    rtf::parseHtml(engineHtml, conversion);
    return conversion.finish();
}

} // namespace velcaro::markdown
