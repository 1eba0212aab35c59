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
    QMap<QString, QString> files;
    for (const ArticlePage& page : pages)
        files.insert(page.address, page.path);
    return startPageServer(files, folder, server);
}

} // namespace velcaro::bench
