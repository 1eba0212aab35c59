#include "qt/web_engine/qt_local_page_guard.h"

#include "platform/local_page_rule.h"

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
    const QUrl& target = info.requestUrl();
    // The top-level page counts too: a sandboxed frame of a local page has no origin of its own.
    if (isScriptRequest(info.resourceType()) &&
        (isLocal(target) || isLocal(info.initiator()) || isLocal(info.firstPartyUrl())))
        info.block(true);
    // The first-party address is the top-level page's, also for what its frames load.
    else if (isLocal(target) &&
             info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
             !localPageMayLoad(info.firstPartyUrl(), target))
        info.block(true);
}

} // namespace velcaro
