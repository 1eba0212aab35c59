#pragma once

#include "platform/capture_engine.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QTimer>

namespace velcaro {

class ChromiumBrowser;
class ChromiumEngine;
class PageCopyRun;
class PageLinksRun;

// One address in a browser context of its own, made for it and disposed of with it: no window
// name, storage, cookies, service workers, cache or history of another address reaches it.
//
// Its page is created with the address and set up before it runs (the browser holds every new
// target for us), so its history has one entry and the copy keeper is there before the page's
// first script. Script dialogs are dismissed, pop-ups closed before they run, downloads denied.
// A local page is offline and loads only what the folder rule allows; a main frame it takes to
// a file the rule refuses fails the page as Blocked.
class ChromiumSession : public QObject, public PageSession {
    Q_OBJECT
public:
    ChromiumSession(ChromiumEngine& engine, QSize pageArea);
    // Disposes of the context, and with it the page and everything it opened.
    ~ChromiumSession() override;

    void load(const QUrl& url, int timeoutMs, std::function<void(const LoadResult&)> done) override;
    void copy(Scope scope, bool withHtml, std::function<void(const PageCopy&)> done) override;
    void setEnded(std::function<void(PageError)> ended) override;
    void links(std::function<void(const PageLinks&)> done) override;

    // After a page process ended, the wait for the browser's report that it ran out of memory,
    // which comes on another channel.
    static constexpr int kOutOfMemoryReportWaitMs = 300;

private:
    void useBrowser(ChromiumBrowser* browser);
    void contextMade(const QString& contextId);
    void openPage();
    void browserEvent(const QString& method, const QJsonObject& params);
    void attached(const QJsonObject& params);
    void setUpPage();
    void pageEvent(const QString& method, const QJsonObject& params);
    // A local request, paused by the browser (`replyTo` empty) or by the page's session.
    void requestPaused(const QJsonObject& params, const QString& replyTo);
    void navigationFailed(const QString& errorText);
    void endLoad(PageError error, const QString& detail = {});
    void processEnded(PageError error);
    void answerCopy(const PageCopy& copy);
    void answerLinks(const PageLinks& links);
    void send(const QString& method, const QJsonObject& params = {});

    QPointer<ChromiumEngine> engine_;
    QPointer<ChromiumBrowser> browser_;
    QSize pageArea_;
    QString contextId_;
    QString targetId_;
    QString sessionId_;
    QUrl address_;
    bool local_ = false;
    QTimer loadWait_;
    std::function<void(const LoadResult&)> loadDone_;
    std::function<void(const PageCopy&)> copyDone_;
    std::function<void(PageError)> ended_;
    std::function<void(const PageLinks&)> linksDone_;
    PageLinksRun* linksRun_ = nullptr;
    PageCopyRun* copyRun_ = nullptr;

    // The page's set-up is done: the documents its main frame asked for meanwhile wait.
    bool setUp_ = false;
    QList<QJsonObject> held_;
    // What the main frame did: its navigations' loaders, a document committed (not an error
    // page), where it is and with what HTTP status.
    QSet<QString> mainLoaders_;
    bool committed_ = false;
    bool errorPage_ = false;
    QUrl url_;
    int httpStatus_ = 0;
    // Its last failed navigation.
    PageError failure_ = PageError::None;
    QString failureDetail_;
    // Set once the page's process, or the browser, ended.
    PageError endedWith_ = PageError::None;
};

} // namespace velcaro
