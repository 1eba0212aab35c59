#include "chromium/local_page_fence.h"

#include "platform/local_page_rule.h"

#include <QFile>
#include <QJsonArray>
#include <QMimeDatabase>
#include <QMimeType>
#include <QSet>

namespace velcaro {

bool localPageMayRequest(const QUrl& page, const QUrl& target, const QString& resourceType) {
    static const QSet<QString> kScriptRequests{
        QStringLiteral("XHR"),       QStringLiteral("Fetch"), QStringLiteral("EventSource"),
        QStringLiteral("WebSocket"), QStringLiteral("Ping"),  QStringLiteral("CSPViolationReport"),
    };
    if (kScriptRequests.contains(resourceType))
        return false;
    // The page's own load.
    if (target.adjusted(QUrl::RemoveFragment) == page.adjusted(QUrl::RemoveFragment))
        return true;
    return localPageMayLoad(page, target);
}

std::pair<QString, QJsonObject> localFileAnswer(const QString& requestId, const QUrl& target) {
    const QString path = target.toLocalFile();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("Fetch.failRequest"),
                {{QStringLiteral("requestId"), requestId},
                 {QStringLiteral("errorReason"), file.exists() ? QStringLiteral("AccessDenied")
                                                               : QStringLiteral("FileNotFound")}}};
    const QByteArray bytes = file.readAll();
    // A file's name says what it is, as it does to the browser: an .html file written as
    // XHTML is still read as HTML. Its bytes decide only when its name says nothing.
    const QMimeDatabase types;
    QMimeType type = types.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (type.isDefault())
        type = types.mimeTypeForData(bytes);
    return {QStringLiteral("Fetch.fulfillRequest"),
            {{QStringLiteral("requestId"), requestId},
             {QStringLiteral("responseCode"), 200},
             {QStringLiteral("responseHeaders"),
              QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("Content-Type")},
                                     {QStringLiteral("value"), type.name()}}}},
             {QStringLiteral("body"), QString::fromLatin1(bytes.toBase64())}}};
}

std::pair<QString, QJsonObject> pausedRequestAnswer(const QUrl& page, bool localPage,
                                                    const QString& requestId, const QUrl& target,
                                                    const QString& resourceType, bool mainFrame) {
    const QJsonObject request{{QStringLiteral("requestId"), requestId}};
    if (!localPage && !target.isLocalFile())
        return {QStringLiteral("Fetch.continueRequest"), request};
    if (localPage && localPageMayRequest(page, target, resourceType))
        return localFileAnswer(requestId, target);
    if (localPage && mainFrame)
        return {QStringLiteral("Fetch.fulfillRequest"),
                {{QStringLiteral("requestId"), requestId}, {QStringLiteral("responseCode"), 204}}};
    return {QStringLiteral("Fetch.failRequest"),
            {{QStringLiteral("requestId"), requestId},
             {QStringLiteral("errorReason"), QStringLiteral("BlockedByClient")}}};
}

} // namespace velcaro
