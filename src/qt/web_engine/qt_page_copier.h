#pragma once

class QWebEngineView;

namespace velcaro {

// Selects, copies and unselects the whole page of a web view. The engine acts only on a
// page that has the keyboard focus, so each operation lends the view the focus and gives it
// back afterwards; the copy is asynchronous, so it waits (bounded) until the clipboard holds
// the copied selection.
class QtPageCopier {
public:
    void selectAll(QWebEngineView& view);
    void copy(QWebEngineView& view);
    void clearSelection(QWebEngineView& view);

    static constexpr int kSelectionWaitMs = 5000;
    static constexpr int kCopyWaitMs = 120000;
};

} // namespace velcaro
