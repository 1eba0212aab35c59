#include "qt/web_engine/qt_local_page_guard.h"

namespace velcaro {
namespace {

bool isScriptRequest(QWebEngineUrlRequestInfo::ResourceType type) {
    return type == QWebEngineUrlRequestInfo::ResourceTypeXhr ||
           type == QWebEngineUrlRequestInfo::ResourceTypeWebSocket ||
           type == QWebEngineUrlRequestInfo::ResourceTypePing;
}

bool isLocal(const QUrl& url) {
    return url.scheme() == QLatin1String("file");
}

} // namespace

void QtLocalPageGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    // The top-level page counts too: a sandboxed frame of a local page has no origin of its own.
    if (isScriptRequest(info.resourceType()) &&
        (isLocal(info.requestUrl()) || isLocal(info.initiator()) || isLocal(info.firstPartyUrl())))
        info.block(true);
}

} // namespace velcaro
