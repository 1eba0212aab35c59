#pragma once

#include "platform/capture_engine.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <functional>

namespace velcaro {

class ChromiumBrowser;

// One copy of a page: select all (or each range of the main text), the browser's own copy, and
// the copy read back from the browser's clipboard, never the user's, by the browser's
// ClipboardReader: the page itself is never allowed to read the clipboard.
//
// The clipboard is one for the whole browser, so the run waits for its turn; it is emptied
// before each copy (what is read is this copy, not an earlier one) and at the end.
// Every step is bounded: a page too busy to answer gives CopyTimedOut, and is closed before the
// turn passes on, so that a copy it still owes cannot reach another page's turn.
class PageCopyRun : public QObject {
    Q_OBJECT
public:
    struct Page {
        QString targetId;
        QString sessionId;
    };
    PageCopyRun(ChromiumBrowser* browser, const Page& page, PageSession::Scope scope, bool withHtml,
                std::function<void(const PageCopy&)> done, QObject* parent);
    // Gives the turn back, if it has it.
    ~PageCopyRun() override;

    // Waits for the turn, then copies.
    void start();

    // The wait for the page's answer to a script of ours (none comes while its own scripts
    // keep it busy), and the finder's (a page it cannot measure in that time is taken whole).
    static constexpr int kScriptWaitMs = 3000;
    static constexpr int kFinderWaitMs = 5000;
    static constexpr int kFactsWaitMs = 2000;
    // How often the clipboard is read again while the copy is not there yet.
    static constexpr int kClipboardPollMs = 25;
    // A page measured with no text has nothing to copy: its empty clipboard is final sooner.
    static constexpr int kEmptyPageWaitMs = 500;

private:
    using Then = std::function<void(const QJsonObject& result, bool answered)>;
    // A command to the page (or to the session `sessionId`), answered within `waitMs` or taken
    // as unanswered.
    void call(const QString& method, const QJsonObject& params, int waitMs, Then then,
              const QString& sessionId = {});
    // A script in our world of the page; `value` is what it gave (its promise's value).
    void evaluate(const QString& expression, int waitMs,
                  std::function<void(const QVariant& value, bool answered)> then);
    // A script in the clipboard reader's page.
    void readerEvaluate(const QString& expression, int waitMs,
                        std::function<void(const QVariant& value, bool answered)> then);
    void evaluateIn(const QString& readerSession, const QString& expression, int waitMs,
                    std::function<void(const QVariant& value, bool answered)> then);

    void beginTurn();
    void measured(const QVariant& measures, bool answered);
    void copyRange(int range);
    // Empties the clipboard, copies the selection and reads the copy back.
    void copySelection(std::function<void(bool copied)> then);
    void readCopy(std::function<void(bool copied)> then);
    void takeFacts(PageError error);
    void timedOut();
    void finish(PageError error);

    // The browser may go first (it ended): the run then only waits to be deleted.
    QPointer<ChromiumBrowser> browser_;
    Page page_;
    PageSession::Scope scope_;
    bool withHtml_;
    std::function<void(const PageCopy&)> done_;
    int ticket_ = 0;
    int worldId_ = 0;
    int copyWaitMs_ = 0;
    bool pageHasText_ = true;
    int ranges_ = 0;
    QElapsedTimer copyStarted_;
    QString lastText_;
    QString lastHtml_;
    PageCopy copy_;
};

} // namespace velcaro
