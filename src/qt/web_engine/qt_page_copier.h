#pragma once

class QWebEngineView;

namespace velcaro {

// Selects, copies and unselects the whole page of a web view, or its main text. The engine acts
// only on a page that has the keyboard focus, so each operation lends the view the focus and gives
// it back afterwards; the copy is asynchronous, so it waits until the clipboard holds the copied
// selection, for a time that grows with the size of the page's text. A page with nothing to
// select leaves the clipboard empty, and the copy fails when that wait is over.
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
    // Main text in more pieces than this is copied as its first pieces.
    static constexpr int kMaxMainRanges = 64;
    // The copy's wait: a base, one more millisecond per kCharsPerMs characters of the page's
    // text (the engine copied 5 MB in 3 s), and a ceiling.
    static constexpr int kCopyBaseWaitMs = 5000;
    static constexpr int kCharsPerMs = 250;
    static constexpr int kCopyMaxWaitMs = 120000;

private:
    // Takes the focus from the page's focused element and measures the page's text, before a
    // selection; no main-text range of an earlier selection is kept.
    void releaseFocus(QWebEngineView& view);
    // Copies the page's selection, waiting until the clipboard holds it.
    void copySelection(QWebEngineView& view);

    // Characters of text in the page, as measured by the last select.
    double pageChars_ = 0;
    // The main text's ranges the last select found, or 0 when it selected all.
    int mainRanges_ = 0;
};

} // namespace velcaro
