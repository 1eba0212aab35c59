#pragma once

#include "platform/web_browser.h"
#include "qt/web_page.h"

#include <QPointer>
#include <QWidget>
#include <memory>

namespace velcaro {

// WebBrowser over the web engine module. The engine is loaded and its page created only when
// a page is first asked for (Navigate or ExecWB), so starting the program does not pay for
// it; until then the area's visibility and rectangle are kept by a plain container widget.
class QtWebBrowser : public WebBrowser {
public:
    explicit QtWebBrowser(QWidget* parent);
    ~QtWebBrowser() override;

    void Navigate(const QString& url) override;
    void ExecWB(int cmdID, int cmdexecopt) override;
    void setVisible(bool visible) override;
    void Move(float left, double top, float width, double height) override;
    bool selectMainText() override;

    QWidget* area() const { return area_; }

private:
    WebPage& ensurePage();
    WebPage& requireDocument();
    // Puts an RTF document, made from the copied HTML when asked for, beside the engine's copy.
    static void offerRtf();

    QPointer<QWidget> area_;
    std::unique_ptr<WebPage> page_;
};

} // namespace velcaro
