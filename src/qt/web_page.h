#pragma once

#include "platform/capture_page.h"

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace velcaro {

// One page of the web engine inside the browser area. The engine lives in a module of its
// own, loaded when the first page is asked for, so that starting the program does not load
// it. Every operation may throw VelcaroError.
class WebPage {
public:
    virtual ~WebPage() = default;

    // The engine's view, a child of the area it was created in.
    virtual QWidget* widget() = 0;
    virtual void load(const QUrl& url) = 0;
    // `finished` runs when each load ends: with an empty text when the page was loaded, else
    // why it was not, in Italian; also when the page's process ends other than normally, with
    // why. It replaces the one set before.
    virtual void setLoadFinished(std::function<void(const QString& failure)> finished) = 0;
    // Nobody is there to answer the page's script dialogs: alerts return at once, confirms
    // answer no, prompts are cancelled.
    virtual void setUnattended() = 0;
    // From now on each load starts in a new page, as if opened for the first time: nothing of
    // the pages before (window name, history, storage, cookies, cache) reaches it.
    virtual void setIsolatedLoads() = 0;
    virtual bool hasDocument() const = 0;
    // What the page shown says of itself: its address, title and language, and the HTTP
    // status of its last load when the engine gave one. The language is asked of the page
    // only with `language`, which runs the event loop for up to 2 s.
    virtual PageFacts facts(bool language) = 0;
    // Whether the page shown has any visible text, asked of it for up to 2 s.
    virtual bool showsText() = 0;
    // The user agent the page sends.
    virtual QString userAgent() = 0;
    // The print dialog, then the page printed as the user chose.
    virtual void print() = 0;
    virtual void preview() = 0;
    virtual void selectAll() = 0;
    // Selects the main text, or all when none stands out; returns whether it was found.
    virtual bool selectMainText() = 0;
    // Returns when the clipboard holds what the last select took.
    virtual void copy() = 0;
    virtual void clearSelection() = 0;
};

// The module's entry point: creates a page inside `parent`.
using CreateWebPage = WebPage* (*)(QWidget* parent);
constexpr char kCreateWebPageSymbol[] = "velcaro_create_web_page";

// What the module's engine says of itself, read without starting it.
struct WebEngineFacts {
    QString qtVersion;            // Qt WebEngine's own, "6.4.2"
    QString chromiumVersion;      // the Chromium it is built from
    QString securityPatchVersion; // the Chromium release whose security fixes it carries
};

// The module's second entry point: fills `facts`.
using ReadWebEngineFacts = void (*)(WebEngineFacts* facts);
constexpr char kReadWebEngineFactsSymbol[] = "velcaro_read_web_engine_facts";

} // namespace velcaro
