#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace velcaro::page_formats {

// The bytes of a page's file in each format, made from the engine's copy of the page.

// The copy's text as "Salva Testo .TXT" writes it once "Copia testo Pag.Html" has put it in the
// captured-text window: its line ends, line and paragraph separators as line feeds, its
// non-breaking spaces as spaces, in UTF-8.
QByteArray text(const QString& copiedText);

// The RTF document the converter makes of the copy's HTML, as "Salva Testo .RTF" of the
// clipboard's RTF; empty when there is no HTML.
QByteArray rtf(const QString& copiedHtml);

// GitHub-flavoured Markdown of the copy's HTML, its links resolved against `pageUrl`.
QByteArray markdown(const QString& copiedHtml, const QUrl& pageUrl);

} // namespace velcaro::page_formats
