#pragma once

#include "platform/capture_engine.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>

class QWebEngineLoadingInfo;
class QWebEngineView;

namespace velcaro {

class QtGuardedPage;
class QtSessionCopy;

// PageSession on Qt WebEngine: a view that fills `host` (a shown widget nobody sees), with a
// guarded page whose dialogs return at once, in a profile of its own kept in memory only.
// Nothing waits in an event loop: every answer comes from the engine's signals and callbacks.
// Copies go through the process's one clipboard, one at a time (QtCopyTurns).
class QtCaptureSession : public QObject, public PageSession {
public:
    explicit QtCaptureSession(QWidget* host);
    ~QtCaptureSession() override;

    void load(const QUrl& url, int timeoutMs, std::function<void(const LoadResult&)> done) override;
    void copy(Scope scope, bool withHtml, std::function<void(const PageCopy&)> done) override;
    void setEnded(std::function<void(PageError)> ended) override;
    void links(std::function<void(const PageLinks&)> done) override;

private:
    void loadingChanged(const QWebEngineLoadingInfo& info);
    void loadTimedOut();
    void loadEnded(const LoadResult& result);
    void processTerminated(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode);
    // Whether a document was committed: the page is more than the empty one it started with.
    bool hasDocument() const;
    // The clipboard's part of the copy is over; what the page says of itself follows.
    void copied(const PageCopy& copy);
    void copyEnded(PageCopy copy);
    // `copy` as the answer, from the event loop.
    void answerCopyLater(PageCopy copy);

    QPointer<QWebEngineView> view_;
    QPointer<QtGuardedPage> page_;
    QTimer deadline_;
    std::function<void(const LoadResult&)> loaded_;
    std::function<void(const PageCopy&)> copied_;
    std::function<void(PageError)> ended_;
    // The copy holding the clipboard's turn, if any.
    QtSessionCopy* copy_ = nullptr;
    bool withHtml_ = false;
    // How the page's process ended since the last load, or None.
    PageError endedAs_ = PageError::None;
};

} // namespace velcaro
