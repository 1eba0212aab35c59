#include "saved_pages.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace velcaro::bench {
namespace {

constexpr char kScheme[] = "saved-page";

// Lets through only the saved pages, local files and what pages carry inline (data: and blob:
// URLs).
class OnlySavedPages : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QString scheme = info.requestUrl().scheme();
        if (scheme != QLatin1String(kScheme) && scheme != QLatin1String("file") &&
            scheme != QLatin1String("data") && scheme != QLatin1String("blob"))
            info.block(true);
    }
};

} // namespace

void SavedPages::registerScheme() {
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

SavedPages::SavedPages(const QString& folder, int count)
    : onlySavedPages_(std::make_unique<OnlySavedPages>()) {
    const QDir html(QDir(folder).filePath(QStringLiteral("html")));
    const QStringList names =
        html.entryList({QStringLiteral("*.html.gz")}, QDir::Files, QDir::Name).mid(0, count);
    for (const QString& name : names) {
        QProcess gzip;
        gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), html.filePath(name)});
        if (gzip.waitForFinished(60000) && gzip.exitCode() == 0)
            pages_.insert(name.chopped(8), gzip.readAllStandardOutput());
    }
}

SavedPages::~SavedPages() = default;

void SavedPages::install() {
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    profile->installUrlSchemeHandler(kScheme, this);
    profile->setUrlRequestInterceptor(onlySavedPages_.get());
}

QList<QUrl> SavedPages::urls() const {
    QStringList ids = pages_.keys();
    ids.sort();
    QList<QUrl> urls;
    for (const QString& id : ids)
        urls.append(QUrl(QLatin1String(kScheme) + u':' + id));
    return urls;
}

void SavedPages::requestStarted(QWebEngineUrlRequestJob* job) {
    const auto page = pages_.constFind(job->requestUrl().path());
    if (page == pages_.constEnd()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* buffer = new QBuffer(job);
    buffer->setData(*page);
    buffer->open(QIODevice::ReadOnly);
    job->reply("text/html", buffer);
}

} // namespace velcaro::bench
