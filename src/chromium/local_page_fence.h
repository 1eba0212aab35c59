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

// The answer to the browser's paused request `requestId` of `target` (a `resourceType`, of the
// page's main frame or not) made by the page at `page`, local or not: a web page's request of
// the web goes on; a local page's own file is read here; a local page's main frame sent to a
// file outside its folder gets "no content" (the navigation is dropped, the page stays as it
// is, as in the window's engine); anything else is refused: a local page's frame leaving its
// folder, a local page going online, a web page loading a local file.
std::pair<QString, QJsonObject> pausedRequestAnswer(const QUrl& page, bool localPage,
                                                    const QString& requestId, const QUrl& target,
                                                    const QString& resourceType, bool mainFrame);

} // namespace velcaro
