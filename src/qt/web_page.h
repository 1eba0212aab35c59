#pragma once

#include <QString>
#include <QUrl>

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
    virtual bool hasDocument() const = 0;
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
