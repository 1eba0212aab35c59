#include "qt/web_engine/qt_load_failure.h"

#include <QRegularExpression>
#include <QWebEngineLoadingInfo>
#include <csignal>

namespace velcaro {
namespace {

// The engine's network error codes the capture tells apart.
constexpr int kTimedOut = -7;
constexpr int kBlockedByClient = -20;
constexpr int kConnectionClosed = -100;
constexpr int kConnectionReset = -101;
constexpr int kConnectionRefused = -102;
constexpr int kNameNotResolved = -105;
constexpr int kConnectionTimedOut = -118;
constexpr int kEmptyResponse = -324;

// The engine's description of the failure ("net::ERR_CONNECTION_REFUSED"), without the markup
// of its own error page, or its code.
QString engineText(const QWebEngineLoadingInfo& info) {
    static const QRegularExpression markup(QStringLiteral("<[^>]*>"));
    const QString text = info.errorString().remove(markup).simplified();
    return text.isEmpty() ? QStringLiteral("codice %1").arg(info.errorCode()) : text;
}

PageError networkError(int code) {
    switch (code) {
    case kNameNotResolved:
        return PageError::NameNotResolved;
    case kConnectionRefused:
        return PageError::Refused;
    case kConnectionReset:
    case kConnectionClosed:
    case kEmptyResponse:
        return PageError::Reset;
    case kTimedOut:
    case kConnectionTimedOut:
        return PageError::TimedOut;
    case kBlockedByClient:
        return PageError::Blocked;
    default:
        return PageError::Other;
    }
}

} // namespace

LoadResult loadResult(const QWebEngineLoadingInfo& info) {
    LoadResult result;
    result.url = info.url();
    // The engine gives files the status 200 too; only an HTTP answer has one.
    if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain &&
        !result.url.isLocalFile())
        result.httpStatus = info.errorCode();
    if (result.httpStatus >= 400)
        result.error = PageError::HttpStatus;
    else if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus)
        result.error = PageError::NotAPage;
    else if (info.status() != QWebEngineLoadingInfo::LoadSucceededStatus)
        result.error = networkError(info.errorCode());
    if (result.error != PageError::None)
        result.detail = engineText(info);
    return result;
}

PageError processEndedError(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
    // Out of memory, the engine ends the page's process on purpose, with the trap of its
    // immediate crash (a failed check of its own ends the same way, and cannot be told apart).
    if (status == QWebEnginePage::CrashedTerminationStatus && exitCode == SIGTRAP)
        return PageError::OutOfMemory;
    return PageError::ProcessEnded;
}

} // namespace velcaro
