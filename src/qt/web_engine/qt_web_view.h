#pragma once

#include <QWebEngineView>

namespace velcaro {

// The engine's view with the page's right-click menu in Italian.
class QtWebView : public QWebEngineView {
public:
    using QWebEngineView::QWebEngineView;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace velcaro
