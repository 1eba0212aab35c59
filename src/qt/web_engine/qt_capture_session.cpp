#include "qt/web_engine/qt_capture_session.h"

#include "page_scripts/page_scripts.h"
#include "qt/web_engine/qt_copy_turns.h"
#include "qt/web_engine/qt_guarded_page.h"
#include "qt/web_engine/qt_load_failure.h"
#include "qt/web_engine/qt_our_world.h"
#include "qt/web_engine/qt_session_copy.h"

#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace velcaro {
namespace {

LoadResult failedLoad(PageError error, const QUrl& url) {
    LoadResult result;
    result.error = error;
    result.url = url;
    return result;
}

PageCopy failedCopy(PageError error) {
    PageCopy copy;
    copy.error = error;
    return copy;
}

} // namespace

QtCaptureSession::QtCaptureSession(QWidget* host)
    : view_(new QWebEngineView(host)), page_(QtGuardedPage::withProfileOfItsOwn(view_)) {
    page_->setUnattended();
    // Nobody is there to see a pop-up: the page's window.open answers at once with none.
    page_->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    view_->setPage(page_);
    view_->setGeometry(host->rect());
    view_->show();
    connect(page_, &QWebEnginePage::loadingChanged, this, &QtCaptureSession::loadingChanged);
    connect(page_, &QWebEnginePage::renderProcessTerminated, this,
            &QtCaptureSession::processTerminated);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, &QtCaptureSession::loadTimedOut);
}

QtCaptureSession::~QtCaptureSession() {
    if (page_)
        disconnect(page_, nullptr, this, nullptr);
    QtCopyTurns::instance().release(this);
    delete copy_;
    // Later, not now: this may run inside one of the page's own signals.
    if (view_) {
        view_->hide();
        view_->deleteLater();
    }
}

void QtCaptureSession::load(const QUrl& url, int timeoutMs,
                            std::function<void(const LoadResult&)> done) {
    loaded_ = std::move(done);
    endedAs_ = PageError::None;
    if (!page_) {
        // The engine's host, and every page in it, went first.
        QMetaObject::invokeMethod(
            this, [this] { loadEnded(failedLoad(PageError::ProcessEnded, QUrl())); },
            Qt::QueuedConnection);
        return;
    }
    deadline_.start(timeoutMs);
    page_->open(url);
}

void QtCaptureSession::loadingChanged(const QWebEngineLoadingInfo& info) {
    // Once the process has ended, what loads is the notice that says so.
    if (!loaded_ || info.status() == QWebEngineLoadingInfo::LoadStartedStatus ||
        page_->processEnded())
        return;
    LoadResult result = loadResult(info);
    // The page's navigation to a file outside its folder was refused, and its own load, if
    // still running, stopped with it: the page is taken as far as it had come.
    if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus && page_->refused(info.url())) {
        result = LoadResult();
        result.url = page_->url();
        if (!hasDocument())
            result.error = PageError::Blocked;
    }
    loadEnded(result);
}

void QtCaptureSession::loadTimedOut() {
    LoadResult result = failedLoad(PageError::TimedOut, page_->url());
    result.hasDocument = hasDocument();
    loadEnded(result);
}

bool QtCaptureSession::hasDocument() const {
    return page_->history()->count() > 0;
}

void QtCaptureSession::loadEnded(const LoadResult& result) {
    deadline_.stop();
    const auto done = std::move(loaded_);
    loaded_ = nullptr;
    if (done)
        done(result);
}

void QtCaptureSession::processTerminated(QWebEnginePage::RenderProcessTerminationStatus status,
                                         int exitCode) {
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    endedAs_ = processEndedError(status, exitCode);
    if (loaded_) {
        loadEnded(failedLoad(endedAs_, page_->url()));
    } else if (copied_) {
        if (copy_) {
            copy_->deleteLater();
            copy_ = nullptr;
        }
        QtCopyTurns::instance().release(this);
        copyEnded(failedCopy(endedAs_));
    } else if (ended_) {
        // A copy: the call may delete this session.
        const auto ended = ended_;
        ended(endedAs_);
    }
}

void QtCaptureSession::setEnded(std::function<void(PageError)> ended) {
    ended_ = std::move(ended);
}

void QtCaptureSession::copy(Scope scope, bool withHtml, std::function<void(const PageCopy&)> done) {
    copied_ = std::move(done);
    withHtml_ = withHtml;
    if (endedAs_ != PageError::None || !page_) {
        answerCopyLater(
            failedCopy(endedAs_ != PageError::None ? endedAs_ : PageError::ProcessEnded));
        return;
    }
    QtCopyTurns::instance().ask(this, [this, scope] {
        if (!view_) {
            QtCopyTurns::instance().release(this);
            answerCopyLater(failedCopy(PageError::ProcessEnded));
            return;
        }
        copy_ = new QtSessionCopy(*view_, scope, [this](const PageCopy& copy) { copied(copy); });
    });
}

void QtCaptureSession::copied(const PageCopy& copy) {
    // The copy is still on the call stack, and the answer may delete this session.
    copy_->deleteLater();
    copy_ = nullptr;
    QtCopyTurns::instance().release(this);
    PageCopy answer = copy;
    if (!withHtml_)
        answer.html.clear();
    answer.url = page_->url();
    answer.title = page_->title();
    if (copy.error == PageError::None) {
        askInOurWorld(*page_, page_scripts::documentLanguage(), page_scripts::kFactsWaitMs, this,
                      [this, answer](const QVariant& lang) mutable {
                          answer.lang = lang.toString().left(page_scripts::kMaxLangChars);
                          copyEnded(answer);
                      });
    } else if (copy.error == PageError::NoText) {
        // Nothing was copied; a page that shows text all the same may give it at a later try.
        askInOurWorld(*page_, page_scripts::showsText(), page_scripts::kFactsWaitMs, this,
                      [this, answer](const QVariant& shows) mutable {
                          answer.showsText = shows.toBool();
                          copyEnded(answer);
                      });
    } else {
        copyEnded(answer);
    }
}

void QtCaptureSession::copyEnded(PageCopy copy) {
    const auto done = std::move(copied_);
    copied_ = nullptr;
    if (done)
        done(copy);
}

void QtCaptureSession::answerCopyLater(PageCopy copy) {
    QMetaObject::invokeMethod(
        this, [this, copy] { copyEnded(copy); }, Qt::QueuedConnection);
}

void QtCaptureSession::links(std::function<void(const PageLinks&)> done) {
    if (!page_) {
        QMetaObject::invokeMethod(
            this, [done] { done({}); }, Qt::QueuedConnection);
        return;
    }
    askInOurWorld(*page_, page_scripts::pageLinks(), page_scripts::kLinksWaitMs, this,
                  [done](const QVariant& answer) { done(page_scripts::readPageLinks(answer)); });
}

} // namespace velcaro
