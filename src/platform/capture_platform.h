#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

namespace velcaro {

class CaptureEngine;
class Console;

// A file fetched outside any page: a sitemap, a robots.txt.
struct FetchRequest {
    QUrl url;
    // Sent as the User-Agent: the engine's own, the agent a site's rules name.
    QString userAgent;
    // For the whole fetch, redirects included: a server that sends a byte now and then does
    // not hold it longer.
    int timeoutMs = 0;
    // Bytes of the body kept; a longer body is cut there, the rest not received.
    qint64 maxBytes = 0;
};

// What the command-line capture needs of the system: the web engine its pages load in, the
// console, fetches outside any page, and the end of the run.
class CapturePlatform {
public:
    virtual ~CapturePlatform() = default;

    virtual CaptureEngine& engine() = 0;
    virtual Console& console() = 0;
    // Fetches `request.url`, following at most a few redirects to http and https addresses,
    // and runs `done` from the event loop with its body, or with why it could not, in Italian,
    // and the last HTTP status when there was one (else 0): a 3xx when a redirect was not
    // followed.
    using Fetched =
        std::function<void(const QByteArray& body, int httpStatus, const QString& failure)>;
    virtual void fetch(const FetchRequest& request, Fetched done) = 0;
    // Asks the server of `url` again, with a HEAD request outside any page, how long it wants
    // us to wait (after it answered a page with 429 or 503), and runs `done` from the event
    // loop with its Retry-After header's value: empty when it sends none or does not answer.
    using RetryAfterAnswered = std::function<void(const QByteArray& retryAfter)>;
    virtual void askRetryAfter(const QUrl& url, RetryAfterAnswered done) = 0;
    // Reads the text of the PDF document `pdf` (its pages' text, page after page) and its
    // title; false when it is no PDF that can be read.
    virtual bool readPdf(const QByteArray& pdf, QString* text, QString* title) = 0;
    // Ends the event loop; the program exits with `exitCode`.
    virtual void finish(int exitCode) = 0;
};

} // namespace velcaro
