#include "qt/web_engine/qt_web_page.h"

#include "platform/velcaro_error.h"
#include "qt/web_engine/qt_engine_hardening.h"
#include "qt/web_engine/qt_load_failure.h"
#include "qt/web_engine/qt_load_progress_line.h"
#include "qt/web_engine/qt_our_world.h"
#include "qt/web_engine/qt_web_view.h"

#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>

namespace velcaro {
namespace {

constexpr int kFactsWaitMs = 2000;
// A language tag is short; the page chooses the attribute's text.
constexpr int kMaxLangChars = 64;

} // namespace

QtWebPage::QtWebPage(QWidget* parent) : view_(new QtWebView(parent)) {
    usePage(new QtGuardedPage(view_));
    new QtLoadProgressLine(*view_);
}

void QtWebPage::usePage(QtGuardedPage* page) {
    QObject::disconnect(loadWatch_);
    QObject::disconnect(endWatch_);
    page_ = page;
    if (unattended_)
        page_->setUnattended();
    view_->setPage(page_);
    loadWatch_ = QObject::connect(
        page_, &QWebEnginePage::loadingChanged, view_, [this](const QWebEngineLoadingInfo& info) {
            // Once the process has ended, what loads is the notice that says so.
            if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus || page_->processEnded())
                return;
            // A navigation the page was refused ends as stopped, and so does the page's own
            // load if it was still running: the page is taken as far as it had loaded.
            if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus &&
                page_->refused(info.url())) {
                if (loadFinished_)
                    loadFinished_({});
                return;
            }
            const bool http = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain ||
                              info.errorDomain() == QWebEngineLoadingInfo::HttpErrorDomain;
            httpStatus_ = http ? info.errorCode() : 0;
            if (loadFinished_)
                loadFinished_(loadFailure(info));
        });
    endWatch_ = QObject::connect(
        page_, &QWebEnginePage::renderProcessTerminated, view_,
        [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
            if (loadFinished_ && status != QWebEnginePage::NormalTerminationStatus)
                loadFinished_(processEndedFailure(status, exitCode));
        });
}

QtWebPage::~QtWebPage() {
    // The view may outlive this object for a moment (disposeView): its page reports to nobody.
    QObject::disconnect(loadWatch_);
    QObject::disconnect(endWatch_);
    if (view_)
        page_->disposeView(view_);
}

QWebEngineView& QtWebPage::view() {
    if (!view_)
        throw VelcaroError(error::kInternal, QStringLiteral("Il browser non esiste più."));
    return *view_;
}

QtGuardedPage& QtWebPage::page() {
    view();
    return *page_;
}

QWebEngineView& QtWebPage::liveView(int failure) {
    QWebEngineView& v = view();
    if (page().processEnded())
        throw VelcaroError(failure,
                           QStringLiteral("La pagina si è interrotta: premere GO per caricarla "
                                          "di nuovo."));
    return v;
}

void QtWebPage::load(const QUrl& url) {
    if (isolatedLoads_) {
        // The page before goes once the view shows the new one; a call of its own that is
        // still on the stack (a script dialog) returns first.
        QtGuardedPage* previous = &page();
        usePage(QtGuardedPage::withProfileOfItsOwn(view_));
        previous->deleteLater();
    }
    page().open(url);
}

void QtWebPage::setLoadFinished(std::function<void(const QString& failure)> finished) {
    loadFinished_ = std::move(finished);
}

void QtWebPage::setUnattended() {
    unattended_ = true;
    page().setUnattended();
}

void QtWebPage::setIsolatedLoads() {
    isolatedLoads_ = true;
}

bool QtWebPage::hasDocument() const {
    return view_ && !view_->url().isEmpty();
}

QString QtWebPage::userAgent() {
    return page().profile()->httpUserAgent();
}

PageFacts QtWebPage::facts(bool language) {
    PageFacts facts;
    if (!view_)
        return facts;
    facts.url = page_->url();
    facts.title = page_->title();
    facts.httpStatus = httpStatus_;
    if (!language || page_->processEnded())
        return facts;
    // The document's language, asked of the page and waited for a short while.
    facts.lang = runInOurWorld(*page_,
                               QStringLiteral("document.documentElement ? "
                                              "document.documentElement.lang : ''"),
                               kFactsWaitMs)
                     .toString()
                     .left(kMaxLangChars);
    return facts;
}

bool QtWebPage::showsText() {
    if (!view_ || page_->processEnded())
        return false;
    return runInOurWorld(*page_,
                         QStringLiteral("!!document.body && /\\S/.test(document.body.innerText)"),
                         kFactsWaitMs)
        .toBool();
}

void QtWebPage::print() {
    printer_.printWithDialog(liveView(error::kPrintFailed));
}

void QtWebPage::preview() {
    printer_.previewWithDialog(liveView(error::kPrintFailed));
}

void QtWebPage::selectAll() {
    copier_.selectAll(liveView(error::kCopyFailed));
}

bool QtWebPage::selectMainText() {
    return copier_.selectMainText(liveView(error::kCopyFailed));
}

void QtWebPage::copy() {
    copier_.copy(liveView(error::kCopyFailed));
}

void QtWebPage::clearSelection() {
    copier_.clearSelection(view());
}

} // namespace velcaro

// Exported by Qt WebEngine Core: sets up what the engine needs of the application (the shared
// OpenGL context). It runs by itself when the engine is linked into the program; loaded as a
// module after the application object exists, the engine must be initialized by hand.
namespace QtWebEngineCore {
Q_DECL_IMPORT void initialize();
}

// The module's entry point, found by name when the module is loaded. The engine starts with
// the first page, its flags set just before.
extern "C" Q_DECL_EXPORT velcaro::WebPage* velcaro_create_web_page(QWidget* parent) {
    static const bool initialized = [] {
        velcaro::hardenOldEngine();
        QtWebEngineCore::initialize();
        return true;
    }();
    Q_UNUSED(initialized);
    return new velcaro::QtWebPage(parent);
}

extern "C" Q_DECL_EXPORT void velcaro_read_web_engine_facts(velcaro::WebEngineFacts* facts) {
    *facts = velcaro::runningEngineFacts();
}
