#pragma once

#include "qt/web_engine/qt_script_dialog.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWebEnginePage>

namespace velcaro {

// The page of the browser area, kept from troubling the program: its script dialogs open as
// windows of the browser window that block nothing and can be stopped, its requests for
// location, notifications, camera, microphone or the screen are refused without asking, its
// own copy handlers cannot change what a copy takes, a local page cannot take the main frame
// to a file outside its folder unless the user asks, and when its process ends the area says
// so in Italian until the next load.
class QtGuardedPage : public QWebEnginePage {
    Q_OBJECT
public:
    // A page of the profile the window's pages share.
    explicit QtGuardedPage(QObject* parent);
    // A page as if opened for the first time: its profile, kept in memory only, is its own and
    // goes with it, so no storage, cookie or cache of another page reaches it.
    static QtGuardedPage* withProfileOfItsOwn(QObject* parent);

    // Loads `url` as the user asked for it: the end of a process and a refused navigation are
    // forgotten and the page may open dialogs again.
    void open(const QUrl& url);
    // Nobody is there to answer the page's dialogs or click its links: from now on the
    // dialogs return at once.
    void setUnattended() { unattended_ = true; }
    // The user clicked in the page or pressed a key there (or chose from its menu): a link the
    // page follows now is the user's.
    void noteUserAction() { lastUserAction_.start(); }
    // Whether the page's process ended since the last load.
    bool processEnded() const { return processEnded_; }
    // Whether `url` is where the page last tried to take the main frame and was refused.
    bool refused(const QUrl& url) const { return url == refused_; }
    // Deletes `view`, which shows this page, now or, while the page's dialogs are on the call
    // stack, once they have returned; their windows close at once.
    void disposeView(QWidget* view);

    // Dialogs that follow each other within this time count as one burst.
    static constexpr int kBurstGapMs = 2000;
    // From this dialog of a burst on, the dialog offers to stop the page's dialogs.
    static constexpr int kOfferToStopFrom = 3;
    // How long after the user's click a link counts as clicked by the user, as long as the
    // engine itself counts a gesture.
    static constexpr int kUserActionMs = 5000;

signals:
    void dialogsClosing();

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                          const QString& defaultValue, QString* result) override;

private:
    QtGuardedPage(QWebEngineProfile* profile, QObject* parent);
    bool runDialog(QtScriptDialog::Kind kind, const QUrl& origin, const QString& message,
                   const QString& defaultValue, QString* value);
    // Whether a navigation of the main frame is the user's own: an address typed or given,
    // back, forward and reload, and a link the user clicked.
    bool isUsersOwn(NavigationType type) const;
    void showProcessEnded(RenderProcessTerminationStatus status);

    bool processEnded_ = false;
    bool unattended_ = false;
    bool dialogsStopped_ = false;
    int dialogDepth_ = 0;
    int burst_ = 0;
    QElapsedTimer lastDialogClosed_;
    QElapsedTimer lastUserAction_;
    QPointer<QWidget> disposedView_;
    QUrl refused_;
};

} // namespace velcaro
