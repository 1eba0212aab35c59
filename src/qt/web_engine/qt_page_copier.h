#pragma once

class QWebEngineView;

namespace velcaro {

// Selects, copies and unselects the whole page of a web view. The engine acts only on a
// page that has the keyboard focus, so each operation lends the view the focus and gives it
// back afterwards; the copy is asynchronous, so it waits until the clipboard holds the copied
// selection, for a time that grows with the size of the page's text. A page with nothing to
// select leaves the clipboard empty, and the copy fails when that wait is over.
class QtPageCopier {
public:
    void selectAll(QWebEngineView& view);
    void copy(QWebEngineView& view);
    void clearSelection(QWebEngineView& view);

    // The wait for the page's answer to a script of ours (none comes while its own scripts
    // keep it busy).
    static constexpr int kScriptWaitMs = 3000;
    // The copy's wait: a base, one more millisecond per kCharsPerMs characters of the page's
    // text (the engine copied 5 MB in 3 s), and a ceiling.
    static constexpr int kCopyBaseWaitMs = 5000;
    static constexpr int kCharsPerMs = 250;
    static constexpr int kCopyMaxWaitMs = 120000;

private:
    // Characters of text in the page, as measured by the last select-all.
    double pageChars_ = 0;
};

} // namespace velcaro
