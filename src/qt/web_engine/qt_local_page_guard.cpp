#include "qt/web_engine/qt_local_page_guard.h"

#include <QDir>
#include <QFileInfo>

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

bool QtLocalPageGuard::mayLoad(const QUrl& page, const QUrl& target) {
    if (!isLocal(page) || !isLocal(target))
        return false;
    // Both sides with their links followed: a link in the folder that leads out of it, or a
    // path with "..", ends outside.
    const QDir folder(QDir(QFileInfo(page.toLocalFile()).absolutePath()).canonicalPath());
    const QFileInfo file(target.toLocalFile());
    const QString resolved = file.canonicalFilePath();
    if (folder.path().isEmpty() || resolved.isEmpty() || file.isDir())
        return false;
    const QString inside = folder.relativeFilePath(resolved);
    if (inside == QLatin1String("..") || inside.startsWith(QLatin1String("../")))
        return false;
    for (const QString& name : inside.split(QLatin1Char('/')))
        if (name.startsWith(QLatin1Char('.')))
            return false;
    return true;
}

void QtLocalPageGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QUrl& target = info.requestUrl();
    // The top-level page counts too: a sandboxed frame of a local page has no origin of its own.
    if (isScriptRequest(info.resourceType()) &&
        (isLocal(target) || isLocal(info.initiator()) || isLocal(info.firstPartyUrl())))
        info.block(true);
    // The first-party address is the top-level page's, also for what its frames load.
    else if (isLocal(target) &&
             info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
             !mayLoad(info.firstPartyUrl(), target))
        info.block(true);
}

} // namespace velcaro
