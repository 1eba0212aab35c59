#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

namespace velcaro {

// Why a page of a capture was not taken: what went wrong, never how to say it. The report
// puts it into words (see PageOutcome).
enum class PageError {
    None,
    // The load had not ended when its time was up.
    TimedOut,
    // The site's name does not resolve.
    NameNotResolved,
    // The connection was refused.
    Refused,
    // The connection was reset or closed, or the server answered nothing.
    Reset,
    // The server answered with an HTTP error status (`httpStatus`).
    HttpStatus,
    // The address is no page the engine shows: a download, a scheme it does not load.
    NotAPage,
    // The page's process ended (it crashed or was killed), or the whole engine did.
    ProcessEnded,
    // The page's process ran out of memory.
    OutOfMemory,
    // The engine refused what the page asked: a local page leaving its folder.
    Blocked,
    // The site's robots.txt forbids the page, or could not be read (the run's own check).
    RobotsRefused,
    // Nothing was copied: the page shows no text.
    NoText,
    // The page stands in for the one asked for: an anti-bot challenge, a login or consent
    // wall, a page that only asks to enable JavaScript or cookies (`wall` says which).
    Walled,
    // The copy did not come in time (a page too large, or too busy, to give it).
    CopyTimedOut,
    // Any other failure of the load; `detail` names it in the engine's words.
    Other,
};

// How a load ended.
struct LoadResult {
    PageError error = PageError::None;
    // The HTTP status of the page's document; 0 when there was none (a file, no answer).
    int httpStatus = 0;
    // Where the page ended, after its redirects; empty when it never started.
    QUrl url;
    // The engine's own name of the failure ("net::ERR_CONNECTION_REFUSED"), for the report.
    QString detail;
    // With TimedOut: a document was there, and may be taken as it is.
    bool hasDocument = false;
};

// What a copy of a page took, with what the page said of itself then.
struct PageCopy {
    PageError error = PageError::None;
    // The copy's plain text (text/plain), as the engine's own copy gives it.
    QString text;
    // The copy's HTML (text/html), every element's computed style inline; only when asked.
    QString html;
    // Main text was asked for and found; false when the whole page was taken instead.
    bool mainText = false;
    QUrl url;
    QString title;
    // The document's language (its lang attribute), empty when it names none.
    QString lang;
    // With NoText: the page shows text all the same, so a later try may copy it.
    bool showsText = false;
};

// What a loaded page links to, as its document has it: each address resolved by the page.
struct PageLinks {
    // Its links (`a[href]`, `area[href]`), each once, in the page's order, at most kMaxLinks.
    QStringList links;
    // Its `link rel=next` addresses.
    QStringList next;
    // Its `link rel=canonical` address, or empty.
    QString canonical;
    // Elements that only an anti-bot challenge has (a challenge form, a captcha frame), and
    // a password field: the page's own facts for telling a wall from content.
    bool challengeMarker = false;
    bool passwordField = false;
    // The page answered; false for one too busy or gone.
    bool answered = false;

    // Links past this are not read: a page of 200,000 links gives its first ones.
    static constexpr int kMaxLinks = 10000;
};

// One address of a capture, in a page of its own that starts from nothing: no window name,
// storage, cookies, service workers, cache or history of an address before it. Answers come
// later, from the event loop, once each; deleting the session cancels what it still owes and
// releases its page.
class PageSession {
public:
    virtual ~PageSession() = default;

    // Loads `url`; `done` runs when the load ended or failed, or after `timeoutMs`
    // (TimedOut, with `hasDocument` when there is something to take).
    virtual void load(const QUrl& url, int timeoutMs,
                      std::function<void(const LoadResult&)> done) = 0;

    enum class Scope { WholePage, MainText };
    // Selects the whole page, or its main text (the whole page when none stands out), copies
    // it with the engine's own copy and answers with the copy. `withHtml`: the HTML too.
    virtual void copy(Scope scope, bool withHtml, std::function<void(const PageCopy&)> done) = 0;

    // `ended` runs if the page's process ends (ProcessEnded, OutOfMemory) after a load, while
    // the session waits before its copy; not once the session is deleted.
    virtual void setEnded(std::function<void(PageError)> ended) = 0;

    // Reads the loaded page's links, as the page shows them (after its scripts ran), and
    // answers with them; a page that does not answer in time answers with none.
    virtual void links(std::function<void(const PageLinks&)> done) = 0;
};

// The web engine a capture loads its pages in.
class CaptureEngine {
public:
    virtual ~CaptureEngine() = default;

    // Its name and version as `--version` and the report show them ("Chromium 156.0.8078.129").
    virtual QString description() const = 0;
    // Starts the engine; `ready` runs from the event loop with an empty text, or why it cannot
    // run, in Italian.
    virtual void start(std::function<void(const QString& failure)> ready) = 0;
    // A line to tell the user once the engine runs (its sandbox is off, say), or empty.
    virtual QString note() const = 0;
    // The user agent its pages send; known once started.
    virtual QString userAgent() const = 0;
    virtual std::unique_ptr<PageSession> openSession() = 0;
};

} // namespace velcaro
