#include "chromium/chromium_session.h"

#include "chromium/chromium_browser.h"
#include "chromium/chromium_engine.h"
#include "chromium/load_failure.h"
#include "chromium/local_page_fence.h"
#include "chromium/page_copy_run.h"
#include "chromium/page_links_run.h"
#include "page_scripts/page_scripts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>

namespace velcaro {
namespace {

// The pages' console, as the window's engine logs it: shown only with --verbose.
Q_LOGGING_CATEGORY(pageConsole, "js")

// A console call's arguments as one line: the values of strings, numbers and the like, the
// description of objects.
QString consoleLine(const QJsonObject& params) {
    QStringList parts;
    for (const QJsonValue& arg : params.value(QStringLiteral("args")).toArray()) {
        const QJsonObject object = arg.toObject();
        const QJsonValue value = object.value(QStringLiteral("value"));
        parts << (value.isString() ? value.toString()
                  : value.isUndefined()
                      ? object.value(QStringLiteral("description")).toString()
                      : QString::fromUtf8(
                            QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact))
                            .mid(1)
                            .chopped(1));
    }
    return parts.join(u' ');
}

// The copy's keys are pressed in the page: its own key handlers, which could cancel them,
// never run (our world's listener is the first of every document).
const char kKeyKeeper[] = R"(
['keydown', 'keypress', 'keyup'].forEach(function (type) {
    window.addEventListener(type, function (e) { e.stopImmediatePropagation(); }, true);
});)";

bool isHttp(const QUrl& url) {
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

} // namespace

ChromiumSession::ChromiumSession(ChromiumEngine& engine, QSize pageArea)
    : engine_(&engine), pageArea_(pageArea) {
    loadWait_.setSingleShot(true);
    connect(&loadWait_, &QTimer::timeout, this, [this] { endLoad(PageError::TimedOut); });
    engine.lendBrowser(this, [this](ChromiumBrowser* browser) { useBrowser(browser); });
}

ChromiumSession::~ChromiumSession() {
    delete copyRun_;
    if (browser_ && !contextId_.isEmpty()) {
        browser_->forgetContext(contextId_);
        browser_->pipe().removeEventHandler(sessionId_);
        browser_->pipe().send(
            QStringLiteral("Target.disposeBrowserContext"),
            {{QStringLiteral("browserContextId"), contextId_}}, {}, browser_,
            [self = static_cast<const void*>(this)](const QJsonObject&, const QString&) {
                qCDebug(chromiumSteps) << self << "disposed";
            });
    }
    if (engine_ && browser_)
        engine_->returnBrowser(browser_);
}

void ChromiumSession::useBrowser(ChromiumBrowser* browser) {
    if (!browser) {
        processEnded(PageError::ProcessEnded);
        return;
    }
    browser_ = browser;
    connect(browser, &ChromiumBrowser::ended, this,
            [this] { processEnded(PageError::ProcessEnded); });
    // Answered to the browser, not to this: a context made after this went is disposed of.
    QPointer<ChromiumSession> self(this);
    browser->pipe().send(
        QStringLiteral("Target.createBrowserContext"), {{QStringLiteral("disposeOnDetach"), true}},
        {}, browser, [self, browser](const QJsonObject& result, const QString&) {
            const QString id = result.value(QStringLiteral("browserContextId")).toString();
            if (self)
                self->contextMade(id);
            else if (!id.isEmpty())
                browser->pipe().send(QStringLiteral("Target.disposeBrowserContext"),
                                     {{QStringLiteral("browserContextId"), id}});
        });
}

void ChromiumSession::contextMade(const QString& contextId) {
    if (contextId.isEmpty()) {
        processEnded(PageError::ProcessEnded);
        return;
    }
    contextId_ = contextId;
    qCDebug(chromiumSteps) << static_cast<const void*>(this) << "context";
    browser_->watchContext(
        contextId_, this,
        [this](const QString& method, const QJsonObject& params) { browserEvent(method, params); });
    browser_->pipe().send(QStringLiteral("Browser.setDownloadBehavior"),
                          {{QStringLiteral("behavior"), QStringLiteral("deny")},
                           {QStringLiteral("browserContextId"), contextId_}});
    if (loadDone_)
        openPage();
}

void ChromiumSession::load(const QUrl& url, int timeoutMs,
                           std::function<void(const LoadResult&)> done) {
    address_ = url;
    local_ = url.isLocalFile();
    loadDone_ = std::move(done);
    if (endedWith_ != PageError::None) {
        QTimer::singleShot(0, this, [this] { endLoad(endedWith_); });
        return;
    }
    loadWait_.start(timeoutMs);
    if (!contextId_.isEmpty())
        openPage();
}

void ChromiumSession::openPage() {
    browser_->pipe().send(QStringLiteral("Target.createTarget"),
                          {{QStringLiteral("url"), QString::fromUtf8(address_.toEncoded())},
                           {QStringLiteral("browserContextId"), contextId_}},
                          {}, this, [this](const QJsonObject&, const QString& error) {
                              if (!error.isEmpty())
                                  endLoad(PageError::Other, error);
                          });
}

void ChromiumSession::browserEvent(const QString& method, const QJsonObject& params) {
    if (method == QLatin1String("Target.attachedToTarget"))
        attached(params);
    else
        requestPaused(params, {});
}

void ChromiumSession::attached(const QJsonObject& params) {
    const QString targetId = params.value(QStringLiteral("targetInfo"))
                                 .toObject()
                                 .value(QStringLiteral("targetId"))
                                 .toString();
    if (!sessionId_.isEmpty()) {
        // Opened by the page: closed before it runs.
        browser_->pipe().send(QStringLiteral("Target.closeTarget"),
                              {{QStringLiteral("targetId"), targetId}});
        return;
    }
    targetId_ = targetId;
    sessionId_ = params.value(QStringLiteral("sessionId")).toString();
    qCDebug(chromiumSteps) << static_cast<const void*>(this) << "target";
    browser_->pipe().setEventHandler(
        sessionId_, this,
        [this](const QString& method, const QJsonObject& event) { pageEvent(method, event); });
    setUpPage();
}

void ChromiumSession::send(const QString& method, const QJsonObject& params) {
    browser_->pipe().send(method, params, sessionId_);
}

void ChromiumSession::setUpPage() {
    // Commands to one page are carried out in order: all of this holds before it runs.
    send(QStringLiteral("Page.enable"));
    send(QStringLiteral("Network.enable"));
    send(QStringLiteral("Inspector.enable"));
    // The console is listened to only when somebody reads it.
    if (pageConsole().isInfoEnabled())
        send(QStringLiteral("Runtime.enable"));
    send(QStringLiteral("Page.addScriptToEvaluateOnNewDocument"),
         {{QStringLiteral("source"), page_scripts::copyKeeper() + QLatin1String(kKeyKeeper)},
          {QStringLiteral("worldName"), QStringLiteral("velcaro")}});
    // Select-all, copy and the clipboard act only in a page that has the focus.
    send(QStringLiteral("Emulation.setFocusEmulationEnabled"), {{QStringLiteral("enabled"), true}});
    send(QStringLiteral("Emulation.setDeviceMetricsOverride"),
         {{QStringLiteral("width"), pageArea_.width()},
          {QStringLiteral("height"), pageArea_.height()},
          {QStringLiteral("deviceScaleFactor"), 1},
          {QStringLiteral("mobile"), false}});
    if (local_) {
        // Nothing leaves the machine, WebSockets included; its files go through the fence.
        send(QStringLiteral("Network.emulateNetworkConditions"),
             {{QStringLiteral("offline"), true},
              {QStringLiteral("latency"), 0},
              {QStringLiteral("downloadThroughput"), -1},
              {QStringLiteral("uploadThroughput"), -1}});
        send(QStringLiteral("Fetch.enable"),
             {{QStringLiteral("patterns"),
               QJsonArray{QJsonObject{{QStringLiteral("urlPattern"), QStringLiteral("file:*")}}}}});
    }
    browser_->pipe().send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, sessionId_, this,
                          [this](const QJsonObject&, const QString&) {
                              qCDebug(chromiumSteps) << static_cast<const void*>(this) << "set up";
                              setUp_ = true;
                              for (const QJsonObject& request : std::exchange(held_, {}))
                                  requestPaused(request, {});
                          });
}

void ChromiumSession::pageEvent(const QString& method, const QJsonObject& params) {
    const bool mainFrame = params.value(QStringLiteral("frameId")).toString() == targetId_;
    if (method == QLatin1String("Page.frameStartedNavigating") && mainFrame) {
        mainLoaders_.insert(params.value(QStringLiteral("loaderId")).toString());
    } else if (method == QLatin1String("Network.responseReceived") && mainFrame &&
               params.value(QStringLiteral("type")).toString() == QLatin1String("Document")) {
        const QJsonObject response = params.value(QStringLiteral("response")).toObject();
        const QUrl url(response.value(QStringLiteral("url")).toString());
        httpStatus_ = isHttp(url) ? response.value(QStringLiteral("status")).toInt() : 0;
    } else if (method == QLatin1String("Network.loadingFailed") &&
               mainLoaders_.contains(params.value(QStringLiteral("requestId")).toString())) {
        navigationFailed(params.value(QStringLiteral("errorText")).toString());
    } else if (method == QLatin1String("Page.frameNavigated")) {
        const QJsonObject frame = params.value(QStringLiteral("frame")).toObject();
        if (frame.contains(QStringLiteral("parentId")))
            return;
        const QString url = frame.value(QStringLiteral("url")).toString() +
                            frame.value(QStringLiteral("urlFragment")).toString();
        errorPage_ = url.startsWith(QLatin1String("chrome-error:"));
        if (!errorPage_) {
            qCDebug(chromiumSteps) << static_cast<const void*>(this) << "committed";
            committed_ = true;
            url_ = QUrl(url);
        }
    } else if (method == QLatin1String("Page.navigatedWithinDocument") && mainFrame) {
        url_ = QUrl(params.value(QStringLiteral("url")).toString());
    } else if (method == QLatin1String("Page.loadEventFired") ||
               (method == QLatin1String("Page.frameStoppedLoading") && mainFrame && committed_)) {
        // A page whose own navigation was dropped (a local page's script leaving its folder)
        // stops loading without its load event.
        // A failed navigation was told when it failed.
        if (!errorPage_ || failure_ == PageError::None)
            endLoad(httpStatus_ >= 400 ? PageError::HttpStatus
                    : errorPage_       ? PageError::Other
                                       : PageError::None);
    } else if (method == QLatin1String("Runtime.consoleAPICalled")) {
        qCInfo(pageConsole).noquote() << consoleLine(params);
    } else if (method == QLatin1String("Runtime.exceptionThrown")) {
        const QJsonObject details = params.value(QStringLiteral("exceptionDetails")).toObject();
        qCInfo(pageConsole).noquote()
            << details.value(QStringLiteral("exception"))
                   .toObject()
                   .value(QStringLiteral("description"))
                   .toString(details.value(QStringLiteral("text")).toString());
    } else if (method == QLatin1String("Page.javascriptDialogOpening")) {
        // Nobody is there to answer: each returns at once, confirm and prompt as cancelled.
        send(QStringLiteral("Page.handleJavaScriptDialog"), {{QStringLiteral("accept"), false}});
    } else if (method == QLatin1String("Fetch.requestPaused")) {
        requestPaused(params, sessionId_);
    } else if (method == QLatin1String("Inspector.targetCrashed")) {
        // The browser tells a page out of memory only in its processes' own lines.
        QTimer::singleShot(kOutOfMemoryReportWaitMs, this, [this] {
            processEnded(browser_ && browser_->reportedOutOfMemory(kOutOfMemoryReportWaitMs * 4)
                             ? PageError::OutOfMemory
                             : PageError::ProcessEnded);
        });
    }
}

void ChromiumSession::requestPaused(const QJsonObject& params, const QString& replyTo) {
    if (replyTo.isEmpty() && !setUp_) {
        held_.append(params);
        return;
    }
    const QString requestId = params.value(QStringLiteral("requestId")).toString();
    const QString type = params.value(QStringLiteral("resourceType")).toString();
    const QUrl target(
        params.value(QStringLiteral("request")).toObject().value(QStringLiteral("url")).toString());
    const bool mainDocument = type == QLatin1String("Document") &&
                              params.value(QStringLiteral("frameId")).toString() == targetId_;
    if (mainDocument)
        mainLoaders_.insert(params.value(QStringLiteral("networkId")).toString());
    const auto [method, answer] =
        pausedRequestAnswer(address_, local_, requestId, target, type, mainDocument);
    browser_->pipe().send(method, answer, replyTo);
}

void ChromiumSession::navigationFailed(const QString& errorText) {
    // An HTTP error without a body fails the navigation (to the browser's error page): its
    // status says what it was, and whether to try again.
    const PageError error =
        errorText == QLatin1String("net::ERR_HTTP_RESPONSE_CODE_FAILURE") && httpStatus_ >= 400
            ? PageError::HttpStatus
            : loadFailureOf(errorText, committed_);
    if (error == PageError::None)
        return;
    failure_ = error;
    failureDetail_ = errorText;
    endLoad(error, errorText);
}

void ChromiumSession::endLoad(PageError error, const QString& detail) {
    if (!loadDone_)
        return;
    qCDebug(chromiumSteps) << static_cast<const void*>(this) << "loaded";
    loadWait_.stop();
    LoadResult result;
    result.error = error;
    result.httpStatus = httpStatus_;
    result.url = url_;
    result.detail = detail;
    if (error == PageError::TimedOut) {
        result.hasDocument = committed_ && !errorPage_;
        if (httpStatus_ >= 400)
            result.error = PageError::HttpStatus;
    }
    const auto done = std::move(loadDone_);
    loadDone_ = nullptr;
    done(result);
}

void ChromiumSession::processEnded(PageError error) {
    if (endedWith_ != PageError::None)
        return;
    endedWith_ = error;
    if (loadDone_) {
        endLoad(error);
    } else if (copyRun_) {
        // The run gives its turn back at once; it is not on the stack here.
        delete std::exchange(copyRun_, nullptr);
        PageCopy copy;
        copy.error = error;
        answerCopy(copy);
    } else if (linksDone_) {
        answerLinks({});
    } else if (ended_) {
        const auto ended = std::move(ended_);
        ended_ = nullptr;
        ended(error);
    }
}

void ChromiumSession::copy(Scope scope, bool withHtml, std::function<void(const PageCopy&)> done) {
    copyDone_ = std::move(done);
    PageCopy refused;
    if (endedWith_ != PageError::None)
        refused.error = endedWith_;
    else if (errorPage_ && failure_ != PageError::None)
        refused.error = failure_;
    else if (!browser_ || sessionId_.isEmpty())
        refused.error = PageError::Other;
    if (refused.error != PageError::None) {
        QTimer::singleShot(0, this, [this, refused] { answerCopy(refused); });
        return;
    }
    copyRun_ = new PageCopyRun(
        browser_, {targetId_, sessionId_}, scope, withHtml,
        [this](const PageCopy& copy) { answerCopy(copy); }, this);
    copyRun_->start();
}

void ChromiumSession::answerCopy(const PageCopy& copy) {
    if (copyRun_) {
        copyRun_->deleteLater();
        copyRun_ = nullptr;
    }
    if (!copyDone_)
        return;
    const auto done = std::move(copyDone_);
    copyDone_ = nullptr;
    done(copy);
}

void ChromiumSession::setEnded(std::function<void(PageError)> ended) {
    ended_ = std::move(ended);
}

void ChromiumSession::links(std::function<void(const PageLinks&)> done) {
    linksDone_ = std::move(done);
    if (!browser_ || sessionId_.isEmpty() || endedWith_ != PageError::None) {
        QTimer::singleShot(0, this, [this] { answerLinks({}); });
        return;
    }
    linksRun_ = new PageLinksRun(
        browser_, targetId_, sessionId_, [this](const PageLinks& links) { answerLinks(links); },
        this);
    linksRun_->start();
}

void ChromiumSession::answerLinks(const PageLinks& links) {
    if (linksRun_) {
        linksRun_->deleteLater();
        linksRun_ = nullptr;
    }
    if (!linksDone_)
        return;
    const auto done = std::move(linksDone_);
    linksDone_ = nullptr;
    done(links);
}

} // namespace velcaro
