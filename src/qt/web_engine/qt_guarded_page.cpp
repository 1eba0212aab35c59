#include "qt/web_engine/qt_guarded_page.h"

#include "page_scripts/page_scripts.h"
#include "platform/local_page_rule.h"
#include "qt/web_engine/qt_engine_hardening.h"
#include "qt/web_engine/qt_local_page_guard.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QWebEnginePermission>
#endif
#include <QWebEngineView>

namespace velcaro {
namespace {

// A page's message is text of its own choosing: only its start is shown.
constexpr int kMaxMessageChars = 4000;

// The request guard that contains local pages, shared by every profile of the program.
QtLocalPageGuard* localPageGuard() {
    static QtLocalPageGuard* const guard = new QtLocalPageGuard(QCoreApplication::instance());
    return guard;
}

// The profile the window's pages share.
QWebEngineProfile* sharedProfile() {
    static QWebEngineProfile* const profile = [] {
        QWebEngineProfile* p = QWebEngineProfile::defaultProfile();
        p->setUrlRequestInterceptor(localPageGuard());
        return p;
    }();
    return profile;
}

// Run in our own world in every document and frame before the page's scripts.
QWebEngineScript copyKeeper() {
    QWebEngineScript script;
    script.setName(QStringLiteral("velcaro-copy-keeper"));
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(page_scripts::copyKeeper());
    return script;
}

} // namespace

QtGuardedPage::QtGuardedPage(QObject* parent) : QtGuardedPage(sharedProfile(), parent) {}

QtGuardedPage::QtGuardedPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent) {
    scripts().insert(copyKeeper());
    // Location, notifications, camera, microphone, the screen: refused at once, never asked.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    connect(this, &QWebEnginePage::permissionRequested, this,
            [](QWebEnginePermission permission) { permission.deny(); });
#else
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
#endif
    connect(this, &QWebEnginePage::renderProcessTerminated, this, &QtGuardedPage::showProcessEnded);
    // WebGL reaches the graphics driver through the engine's GPU process: one more thing to
    // attack in an engine without recent fixes.
    if (engineHardened())
        settings()->setAttribute(QWebEngineSettings::WebGLEnabled, false);
}

QtGuardedPage* QtGuardedPage::withProfileOfItsOwn(QObject* parent) {
    auto* profile = new QWebEngineProfile();
    profile->setUrlRequestInterceptor(localPageGuard());
    auto* page = new QtGuardedPage(profile, parent);
    // The profile may go only after its page.
    connect(page, &QObject::destroyed, profile, &QObject::deleteLater);
    return page;
}

void QtGuardedPage::open(const QUrl& url) {
    emit dialogsClosing();
    processEnded_ = false;
    dialogsStopped_ = false;
    burst_ = 0;
    refused_.clear();
    setUrl(url);
}

void QtGuardedPage::disposeView(QWidget* view) {
    if (dialogDepth_ == 0) {
        delete view;
        return;
    }
    // The page's own call is still on the stack: the view leaves the window, which may go
    // first, and is deleted when the call has returned.
    view->hide();
    view->setParent(nullptr);
    disposedView_ = view;
    emit dialogsClosing();
}

bool QtGuardedPage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                            bool isMainFrame) {
    // Frames are held to the folder by the profile's guard, and the engine keeps web pages
    // from local files: what is left is a local page that takes the main frame elsewhere.
    if (isMainFrame && url.isLocalFile() && this->url().isLocalFile() && !isUsersOwn(type) &&
        !localPageMayLoad(this->url(), url)) {
        refused_ = url;
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

bool QtGuardedPage::isUsersOwn(NavigationType type) const {
    switch (type) {
    case NavigationTypeTyped:
    case NavigationTypeBackForward:
    case NavigationTypeReload:
        return true;
    case NavigationTypeLinkClicked:
        // The engine says the same of a script's click: the user's click in the view tells.
        return !unattended_ && lastUserAction_.isValid() &&
               lastUserAction_.elapsed() < kUserActionMs;
    default:
        return false;
    }
}

void QtGuardedPage::showProcessEnded(RenderProcessTerminationStatus status) {
    if (status == NormalTerminationStatus)
        return;
    processEnded_ = true;
    emit dialogsClosing();
    setHtml(QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset='utf-8'><title>Pagina interrotta</title>"
        "</head>"
        "<body style='font-family: sans-serif; margin: 2em'>"
        "<p><b>La pagina si è interrotta:</b> il processo del motore web che la mostrava è "
        "terminato.</p><p>Premere GO per caricarla di nuovo.</p></body></html>"));
}

void QtGuardedPage::javaScriptAlert(const QUrl& securityOrigin, const QString& msg) {
    runDialog(QtScriptDialog::Kind::Alert, securityOrigin, msg, QString(), nullptr);
}

bool QtGuardedPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) {
    return runDialog(QtScriptDialog::Kind::Confirm, securityOrigin, msg, QString(), nullptr);
}

bool QtGuardedPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                                     const QString& defaultValue, QString* result) {
    return runDialog(QtScriptDialog::Kind::Prompt, securityOrigin, msg, defaultValue, result);
}

bool QtGuardedPage::runDialog(QtScriptDialog::Kind kind, const QUrl& origin, const QString& message,
                              const QString& defaultValue, QString* value) {
    if (unattended_ || dialogsStopped_ || disposedView_ || processEnded_)
        return false;
    QWebEngineView* view = QWebEngineView::forPage(this);
    if (!view)
        return false;
    const bool inBurst = lastDialogClosed_.isValid() && lastDialogClosed_.elapsed() < kBurstGapMs;
    burst_ = inBurst ? burst_ + 1 : 1;

    auto* dialog = new QtScriptDialog(kind, origin.host(), message.left(kMaxMessageChars),
                                      defaultValue, burst_ >= kOfferToStopFrom, view->window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    bool accepted = false;
    QEventLoop loop;
    connect(dialog, &QDialog::finished, &loop, [&](int result) {
        accepted = result == QDialog::Accepted;
        if (value)
            *value = dialog->value();
        if (dialog->stopRequested())
            dialogsStopped_ = true;
        loop.quit();
    });
    connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
    connect(this, &QtGuardedPage::dialogsClosing, dialog, &QDialog::reject);
    ++dialogDepth_;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    loop.exec();
    --dialogDepth_;
    lastDialogClosed_.start();
    if (dialogDepth_ == 0 && disposedView_)
        disposedView_->deleteLater();
    return accepted;
}

} // namespace velcaro
