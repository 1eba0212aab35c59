#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace velcaro {

class WebBrowser;

// What a loaded page says of itself.
struct PageFacts {
    // Where the page ended, after its redirects.
    QUrl url;
    QString title;
    // The language of the document (its lang attribute), empty when it names none.
    QString lang;
    // The HTTP status of the last load as the engine gave it (200 for a page served whole, 404
    // for one missing, 200 for a file too); 0 when it gave none.
    int httpStatus = 0;
};

// A page opened for the command-line capture, in a window nobody sees. Deleting it releases
// the page and its share of the engine.
class CapturePage {
public:
    virtual ~CapturePage() = default;

    // The page's browser: Navigate starts a load, ExecWB selects and copies.
    virtual WebBrowser& browser() = 0;
    // `finished` runs when a load started by Navigate ends: with an empty text when the page
    // was loaded, else why it was not, in Italian. It runs again, with why, when the page's
    // process ends other than normally, also after a load that succeeded. It replaces the one
    // set before, and never runs after the page is deleted.
    virtual void setLoadFinished(std::function<void(const QString& failure)> finished) = 0;
    // What the page shown now says of itself. Its language is asked of the page only with
    // `language`, which runs the event loop for a moment.
    virtual PageFacts facts(bool language) = 0;
    // Whether the page shown has any visible text, asked of the page: runs the event loop for
    // a moment.
    virtual bool showsText() = 0;
    // The user agent the engine's pages send.
    virtual QString userAgent() = 0;
};

} // namespace velcaro
