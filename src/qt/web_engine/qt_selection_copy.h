#pragma once

#include <QString>
#include <functional>

class QMimeData;
class QObject;
class QWebEnginePage;

namespace velcaro {

// Copies the selection of `page`, which must have the keyboard focus, with the engine's own
// copy, and answers once from the event loop: true when the clipboard then held the page's
// copy, false when `waitMs` passed first (nothing was selected, or the page was too slow or too
// busy to give it). Nothing runs once `receiver` is deleted.
//
// The engine's selection notice is no sign to wait for: the page's process leaves it out when
// the text selected equals the text it last reported, as on a page loaded again or on a second
// page with the same text. Only a change of the clipboard after the copy counts: what it held
// before may be text.
void copyPageSelection(QWebEnginePage& page, int waitMs, QObject* receiver,
                       std::function<void(bool copied)> answered);

// Adds a copy taken from the clipboard to the copies before it: the texts one after the other,
// a line end between non-empty ones, and the HTML joined.
void appendCopy(const QMimeData& copied, QString& text, QString& html);

} // namespace velcaro
