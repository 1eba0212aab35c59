#pragma once

#include "platform/capture_engine.h"

#include <QString>
#include <QWebEnginePage>

class QWebEngineLoadingInfo;

namespace velcaro {

// Why a finished load did not give the page, in Italian, or an empty text when it did. An
// answer of the server with an HTTP error status (404, 500...) counts as a failure: the page
// shown is the server's error page, not the one asked for.
QString loadFailure(const QWebEngineLoadingInfo& info);

// Why the page's process ended, in Italian, for an ending that was not normal.
QString processEndedFailure(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode);

// How a finished load ended, by kind, as loadFailure tells it in words; a load that stopped
// (a download, a scheme the engine does not show) is no page.
LoadResult loadResult(const QWebEngineLoadingInfo& info);

// The kind of an ending of the page's process that was not normal.
PageError processEndedError(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode);

} // namespace velcaro
