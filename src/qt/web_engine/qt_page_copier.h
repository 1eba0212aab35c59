#pragma once

class QWebEngineView;

namespace velcaro {

// Selects, copies and unselects the whole page of a web view, or its main text. The engine acts
// only on a page that has the keyboard focus, so each operation lends the view the focus and gives
// it back afterwards; the copy is asynchronous, so it waits until the clipboard holds the copied
// selection, for a time that grows with the page's text and structure. A page with nothing to
// select leaves the clipboard empty, and the copy fails when that wait is over, saying so.
class QtPageCopier {
public:
    void selectAll(QWebEngineView& view);
    // Selects the page's main text, found by the finder in a script world of our own; when
    // none stands out, selects all. Returns whether main text was found.
    bool selectMainText(QWebEngineView& view);
    // Copies what the last select took.
    void copy(QWebEngineView& view);
    void clearSelection(QWebEngineView& view);

    // The wait for the page's answer to a script of ours (none comes while its own scripts
    // keep it busy).
    static constexpr int kScriptWaitMs = 3000;
    // The finder's wait: a page it cannot measure in that time is taken whole.
    static constexpr int kFinderWaitMs = 5000;

private:
    // Takes the focus from the page's focused element and measures the page (its text, its
    // elements and their depth) for the copy's wait, before a selection; no main-text range of an
    // earlier selection is kept.
    void releaseFocus(QWebEngineView& view);
    // Copies the page's selection, waiting until the clipboard holds it.
    void copySelection(QWebEngineView& view);

    // The copy's wait for the page, as measured by the last select.
    int copyWaitMs_ = 0;
    // Whether the page may have text to copy, as far as the last select could tell.
    bool pageHasText_ = true;
    // The main text's ranges the last select found, or 0 when it selected all.
    int mainRanges_ = 0;
};

} // namespace velcaro
