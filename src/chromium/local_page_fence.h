#pragma once

#include <QJsonObject>
#include <QString>
#include <QUrl>
#include <utility>

namespace velcaro {

// Whether the local page `page` may load the local file `target`, a request of type
// `resourceType` (the browser's name: "Document", "Stylesheet", "XHR"...). Its own files load
// as the folder rule says, for its frames and for its main frame too (a script that takes the
// page to another file); its scripts read no file at all. The page reaches no network either:
// its session is offline.
bool localPageMayRequest(const QUrl& page, const QUrl& target, const QString& resourceType);

// The answer to the browser's paused request `requestId` of the local file `target`, read here
// (the browser may run as a user who cannot read it): Fetch.fulfillRequest with its bytes and
// type, or Fetch.failRequest when it cannot be read.
std::pair<QString, QJsonObject> localFileAnswer(const QString& requestId, const QUrl& target);

} // namespace velcaro
