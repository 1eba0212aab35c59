#pragma once

#include <QWebEngineView>

namespace velcaro {

// The engine's view with the page's right-click menu in Italian; it tells its page when the
// user clicks in it, presses a key that follows a link or chooses from its menu.
class QtWebView : public QWebEngineView {
public:
    using QWebEngineView::QWebEngineView;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void noteUserAction();
};

} // namespace velcaro
