#pragma once

#include "platform/capture_engine.h"

#include <QWebEnginePage>

class QWebEngineLoadingInfo;

namespace velcaro {

// How a finished load ended, by kind: an answer of the server with an HTTP error status (404,
// 500...) is a failure, since the page shown is the server's error page; a load that stopped
// (a download, a scheme the engine does not show) is no page.
LoadResult loadResult(const QWebEngineLoadingInfo& info);

// The kind of an ending of the page's process that was not normal.
PageError processEndedError(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode);

} // namespace velcaro
