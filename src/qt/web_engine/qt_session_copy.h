#pragma once

#include "platform/capture_engine.h"
#include "qt/web_engine/qt_focus_lender.h"

#include <QObject>
#include <QVariant>
#include <functional>

class QWebEngineView;

namespace velcaro {

// One copy of a capture session's page through the clipboard, with no event loop of its own:
// the steps of QtPageCopier, each started by the answer to the one before. The view has the
// keyboard focus meanwhile. It starts at once, so its owner must hold the clipboard's turn;
// `done` runs once, with the copy's error, text, HTML and whether main text was found, unless
// the object is deleted first.
class QtSessionCopy : public QObject {
public:
    QtSessionCopy(QWebEngineView& view, PageSession::Scope scope,
                  std::function<void(const PageCopy&)> done);

private:
    void measured(const QVariant& measures, PageSession::Scope scope);
    void mainTextFound(const QVariant& ranges);
    // Selects and copies the main text's ranges from `range` on, one after the other.
    void copyRanges(int range);
    void rangeSelected(int range, bool selected);
    void copyWholePage();
    // A copy that did not come: a page measured with text was too slow or busy to give it.
    PageError missingCopy() const;
    void finish(PageError error);

    QWebEngineView& view_;
    QtFocusLender focus_;
    std::function<void(const PageCopy&)> done_;
    PageCopy copy_;
    int waitMs_ = 0;
    bool hasText_ = true;
    int ranges_ = 0;
};

} // namespace velcaro
