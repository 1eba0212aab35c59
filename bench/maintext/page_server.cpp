#include "page_server.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace velcaro::bench {

int startPageServer(const QMap<QString, QString>& files, const QString& folder, QProcess& server) {
    const QString cert = folder + "/cert.pem";
    const QString key = folder + "/key.pem";
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                   "/CN=velcaro-bench", "-keyout", key, "-out", cert});
    if (!openssl.waitForFinished() || openssl.exitCode() != 0)
        return 0;
    QJsonObject map;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        map.insert(it.key(), it.value());
    QFile file(folder + "/pages.json");
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    file.write(QJsonDocument(map).toJson());
    file.close();
    server.start(QStringLiteral("python3"),
                 {QStringLiteral(VELCARO_PAGE_SERVER), file.fileName(), cert, key});
    if (!server.waitForReadyRead(10000))
        return 0;
    return server.readLine().trimmed().toInt();
}

QStringList pageServerEnvironment(int port) {
    const QString flags =
        QStringLiteral("--proxy-server=http://127.0.0.1:%1 --ignore-certificate-errors").arg(port);
    return {"QTWEBENGINE_CHROMIUM_FLAGS=" + flags, "VELCARO_CHROMIUM_FLAGS=" + flags};
}

} // namespace velcaro::bench
