#include "corpus_pages.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QUrl>

namespace velcaro::bench {
namespace {

QStringList strings(const QJsonValue& value) {
    QStringList list;
    for (const QJsonValue& item : value.toArray())
        list << item.toString();
    return list;
}

// The page described by `json`, or a page with an empty id and `problem` set.
CorpusPage readPage(const QString& json, QString& problem) {
    QFile file(json);
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(file.open(QIODevice::ReadOnly) ? file.readAll() : "", &error);
    const QJsonObject object = document.object();
    CorpusPage page;
    page.address = QUrl(object.value(QStringLiteral("address")).toString())
                       .adjusted(QUrl::RemoveFragment)
                       .toString();
    page.language = object.value(QStringLiteral("language")).toString();
    page.kind = object.value(QStringLiteral("kind")).toString();
    page.must = strings(object.value(QStringLiteral("must")));
    page.mustNot = strings(object.value(QStringLiteral("must_not")));
    if (error.error != QJsonParseError::NoError)
        problem = error.errorString();
    else if (page.address.isEmpty() || page.language.isEmpty() || page.kind.isEmpty())
        problem = QStringLiteral("no address, language or kind");
    else if (page.must.isEmpty())
        problem = QStringLiteral("no must passage");
    else
        page.id = QFileInfo(json).completeBaseName();
    return page;
}

bool gunzip(const QString& from, const QString& to) {
    QProcess gzip;
    gzip.setStandardOutputFile(to);
    gzip.start(QStringLiteral("gzip"), {"-dc", from});
    return gzip.waitForFinished() && gzip.exitStatus() == QProcess::NormalExit &&
           gzip.exitCode() == 0;
}

} // namespace

QStringList corpusFolders() {
    QStringList folders{QStringLiteral(VELCARO_MAINTEXT_CORPUS_PAGES)};
    for (const QString& named :
         qEnvironmentVariable("VELCARO_MAINTEXT_CORPUS").split(u':', Qt::SkipEmptyParts))
        folders << QDir::cleanPath(named);
    return folders;
}

std::vector<CorpusPage> loadCorpusPages(const QStringList& folders,
                                        const QRegularExpression& filter, const QString& folder,
                                        QStringList& problems) {
    // By id, the first folder's page first.
    QMap<QString, QString> jsons;
    for (const QString& from : folders) {
        const QDir dir(from);
        for (const QString& name : dir.entryList({QStringLiteral("*.json")}, QDir::Files)) {
            const QString id = QFileInfo(name).completeBaseName();
            if (!filter.match(id).hasMatch())
                continue;
            if (jsons.contains(id))
                problems << QStringLiteral("%1: also in %2, left out there").arg(id, from);
            else
                jsons.insert(id, dir.filePath(name));
        }
    }
    QDir().mkpath(folder);
    std::vector<CorpusPage> pages;
    QSet<QString> addresses;
    for (auto it = jsons.cbegin(); it != jsons.cend(); ++it) {
        QString problem;
        CorpusPage page = readPage(it.value(), problem);
        const QString gz = it.value().chopped(4) + QStringLiteral("html.gz");
        page.path = QDir(folder).filePath(it.key() + QStringLiteral(".html"));
        if (problem.isEmpty() && addresses.contains(page.address))
            problem = QStringLiteral("its address %1 is another page's").arg(page.address);
        if (problem.isEmpty() && !gunzip(gz, page.path))
            problem = QStringLiteral("%1 could not be unpacked").arg(gz);
        if (!problem.isEmpty()) {
            problems << QStringLiteral("%1: %2, left out").arg(it.key(), problem);
            continue;
        }
        addresses.insert(page.address);
        pages.push_back(page);
    }
    return pages;
}

} // namespace velcaro::bench
