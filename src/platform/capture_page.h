#pragma once

#include <QString>
#include <functional>

namespace velcaro {

class WebBrowser;

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
};

} // namespace velcaro
