#pragma once

#include "qt/web_engine/qt_script_dialog.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWebEnginePage>

namespace velcaro {

// The page of the browser area, kept from troubling the program: its script dialogs open as
// windows of the browser window that block nothing and can be stopped, its requests for
// location, notifications, camera, microphone or the screen are refused without asking, its
// own copy handlers cannot change what a copy takes, and when its process ends the area says
// so in Italian until the next load.
class QtGuardedPage : public QWebEnginePage {
    Q_OBJECT
public:
    // A page of the profile the window's pages share.
    explicit QtGuardedPage(QObject* parent);
    // A page as if opened for the first time: its profile, kept in memory only, is its own and
    // goes with it, so no storage, cookie or cache of another page reaches it.
    static QtGuardedPage* withProfileOfItsOwn(QObject* parent);

    // Loads `url` as the user asked for it: the end of a process is forgotten and the page may
    // open dialogs again.
    void open(const QUrl& url);
    // Nobody is there to answer the page's dialogs: from now on they return at once.
    void setUnattended() { unattended_ = true; }
    // Whether the page's process ended since the last load.
    bool processEnded() const { return processEnded_; }
    // Deletes `view`, which shows this page, now or, while the page's dialogs are on the call
    // stack, once they have returned; their windows close at once.
    void disposeView(QWidget* view);

    // Dialogs that follow each other within this time count as one burst.
    static constexpr int kBurstGapMs = 2000;
    // From this dialog of a burst on, the dialog offers to stop the page's dialogs.
    static constexpr int kOfferToStopFrom = 3;

signals:
    void dialogsClosing();

protected:
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                          const QString& defaultValue, QString* result) override;

private:
    QtGuardedPage(QWebEngineProfile* profile, QObject* parent);
    bool runDialog(QtScriptDialog::Kind kind, const QUrl& origin, const QString& message,
                   const QString& defaultValue, QString* value);
    void refuseFeature(const QUrl& origin, Feature feature);
    void showProcessEnded(RenderProcessTerminationStatus status);

    bool processEnded_ = false;
    bool unattended_ = false;
    bool dialogsStopped_ = false;
    int dialogDepth_ = 0;
    int burst_ = 0;
    QElapsedTimer lastDialogClosed_;
    QPointer<QWidget> disposedView_;
};

} // namespace velcaro
