#pragma once

#include "qt/web_engine/qt_pdf_maker.h"

#include <memory>

class QPrinter;
class QWebEngineView;
class QWidget;

namespace velcaro {

// Prints the page of a web view, with the print dialog or the print preview. The engine
// always makes a PDF of the page first: written as it is when the user prints to a PDF file
// (text stays text), sent as it is to the print system for a real printer, and shown by the
// preview, which renders only the pages on screen. One job at a time.
class QtPagePrinter {
public:
    QtPagePrinter();

    // The print dialog goes on top of `over`, the view's window when none is given.
    void printWithDialog(QWebEngineView& view, QWidget* over = nullptr);
    void previewWithDialog(QWebEngineView& view);

private:
    void printTo(QWebEngineView& view, QPrinter& printer);

    QtPdfMaker maker_;
    // Kept apart from the object, which goes with its window: a job outlives the window when
    // the window is closed while the engine works.
    std::shared_ptr<bool> running_;
};

} // namespace velcaro
