#pragma once

class QPrinter;
class QWebEngineView;
class QWidget;

namespace velcaro {

// Prints the page of a web view, with the print dialog or the print preview. The engine
// prints asynchronously; a nested event loop waits for it, one print at a time.
class QtPagePrinter {
public:
    void printWithDialog(QWebEngineView& view, QWidget* parent);
    void previewWithDialog(QWebEngineView& view, QWidget* parent);
    // Renders the page on `printer` and returns when it is done; throws on failure.
    void printTo(QWebEngineView& view, QPrinter& printer);

    static constexpr int kTimeoutMs = 180000;

private:
    bool busy_ = false;
};

} // namespace velcaro
