#pragma once

#include <QString>
#include <QUrl>

namespace velcaro {

// Turns what the user typed into the URL the engine loads, as a browser's address bar would:
// an existing local path (absolute, or relative to `workingDirectory`) becomes a file URL,
// an address with a scheme stays as it is, and an address without one becomes http.
QUrl addressToUrl(const QString& address, const QString& workingDirectory);

} // namespace velcaro
