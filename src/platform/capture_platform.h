#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

namespace velcaro {

class CapturePage;
class Clipboard;
class Console;
class RichTextBox;

// What the command-line capture needs of the system: pages in no visible window, the
// program's own clipboard, a text box like the captured-text window's, the console, and the
// end of the run.
class CapturePlatform {
public:
    virtual ~CapturePlatform() = default;

    virtual std::unique_ptr<CapturePage> createPage() = 0;
    virtual Clipboard& clipboard() = 0;
    // The rich text box the copied text goes into before it is written, as in the window.
    virtual RichTextBox& textBox() = 0;
    virtual Console& console() = 0;
    // Fetches `url` (a sitemap) outside any page, following at most a few redirects, and runs
    // `done` from the event loop with its body, or with why it could not, in Italian.
    virtual void
    fetch(const QUrl& url,
          std::function<void(const QByteArray& body, const QString& failure)> done) = 0;
    // Ends the event loop; the program exits with `exitCode`.
    virtual void finish(int exitCode) = 0;
};

} // namespace velcaro
