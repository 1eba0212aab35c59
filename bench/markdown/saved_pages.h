#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>
#include <memory>

class QWebEngineUrlRequestInterceptor;

namespace velcaro::bench {

// Saved pages of the public article extraction benchmark, read from its folder into memory
// and served to the engine from there under their own scheme; nothing else from the network is
// loaded, so a page shows what it holds itself, offline, the same at every run.
class SavedPages : public QWebEngineUrlSchemeHandler {
public:
    // Registers the scheme; before the application object.
    static void registerScheme();

    // Reads the first `count` pages, by file name, of `folder`/html/*.html.gz.
    SavedPages(const QString& folder, int count);
    ~SavedPages() override;

    // Serves the pages in the default profile, where only they and local files load.
    void install();
    QList<QUrl> urls() const;

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QHash<QString, QByteArray> pages_; // by the URL's path
    std::unique_ptr<QWebEngineUrlRequestInterceptor> onlySavedPages_;
};

} // namespace velcaro::bench
