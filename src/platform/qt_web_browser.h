#pragma once

#include "platform/qt_page_copier.h"
#include "platform/qt_page_printer.h"
#include "platform/web_browser.h"

#include <QPointer>
#include <QWebEngineView>
#include <QWidget>

namespace velcaro {

// WebBrowser over Qt WebEngine. The engine is created only when a page is first asked for
// (Navigate or ExecWB), so starting the program does not pay for it; until then the area's
// visibility and rectangle are kept by a plain container widget.
class QtWebBrowser : public WebBrowser {
public:
    explicit QtWebBrowser(QWidget* parent);

    void Navigate(const QString& url) override;
    void ExecWB(int cmdID, int cmdexecopt) override;
    void setVisible(bool visible) override;
    void Move(float left, double top, float width, double height) override;

    QWidget* area() const { return area_; }
    // The engine's view, or null while no page was asked for.
    QWebEngineView* view() const { return view_; }

private:
    QWebEngineView& ensureView();
    QWebEngineView& requireDocument();

    QPointer<QWidget> area_;
    QPointer<QWebEngineView> view_;
    QtPagePrinter printer_;
    QtPageCopier copier_;
};

} // namespace velcaro
