#include "article_pages.h"

#include "batch_capture/output_names.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace velcaro::bench {

QString articleBenchmarkFolder() {
    const QString named = qEnvironmentVariable("VELCARO_ARTICLE_BENCHMARK");
    return QDir::cleanPath(named.isEmpty() ? QStringLiteral(VELCARO_ARTICLE_BENCHMARK) : named);
}

std::vector<ArticlePage> unpackArticlePages(const QString& data, const QString& folder) {
    QFile truthFile(data + "/ground-truth.json");
    const QJsonObject truth =
        QJsonDocument::fromJson(truthFile.open(QIODevice::ReadOnly) ? truthFile.readAll() : "")
            .object();
    std::vector<ArticlePage> pages;
    QDir().mkpath(folder);
    for (auto it = truth.begin(); it != truth.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        ArticlePage page{it.key(),
                         QDir(folder).filePath(it.key() + ".html"),
                         entry.value(QStringLiteral("articleBody")).toString(),
                         QUrl(entry.value(QStringLiteral("url")).toString())
                             .adjusted(QUrl::RemoveFragment)
                             .toString(),
                         {}};
        QProcess gzip;
        gzip.setStandardOutputFile(page.path);
        gzip.start(QStringLiteral("gzip"), {"-dc", data + "/html/" + it.key() + ".html.gz"});
        if (gzip.waitForFinished() && gzip.exitCode() == 0)
            pages.push_back(page);
    }
    OutputNames names(QStringLiteral(".txt"));
    for (ArticlePage& page : pages)
        page.output = names.take(QUrl(page.address));
    return pages;
}

int startPageServer(const std::vector<ArticlePage>& pages, const QString& folder,
                    QProcess& server) {
    const QString cert = folder + "/cert.pem";
    const QString key = folder + "/key.pem";
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                   "/CN=velcaro-bench", "-keyout", key, "-out", cert});
    if (!openssl.waitForFinished() || openssl.exitCode() != 0)
        return 0;
    QJsonObject map;
    for (const ArticlePage& page : pages)
        map.insert(page.address, page.path);
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

} // namespace velcaro::bench
