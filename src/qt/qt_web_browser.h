#pragma once

#include "platform/web_browser.h"
#include "qt/web_page.h"

#include <QPointer>
#include <QWidget>
#include <functional>
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
    // `finished` runs when each load ends: with an empty text when the page was loaded, else
    // why it was not; also with why, when the page's process ends other than normally.
    void setLoadFinished(std::function<void(const QString& failure)> finished);
    // Nobody answers the page's script dialogs: they return at once.
    void setUnattended();
    // Each Navigate starts in a new page that nothing of the pages before reaches.
    void setIsolatedLoads();
    // What the page shown says of itself (see WebPage::facts); nothing before the first
    // Navigate.
    PageFacts facts(bool language);
    // Whether the page shown has visible text (see WebPage::showsText); false before the
    // first Navigate.
    bool showsText();
    // The user agent the engine's pages send; loads the engine.
    QString userAgent();

private:
    WebPage& ensurePage();
    WebPage& requireDocument();
    // Puts an RTF document, made from the copied HTML when asked for, beside the engine's copy.
    static void offerRtf();

    QPointer<QWidget> area_;
    std::unique_ptr<WebPage> page_;
    std::function<void(const QString&)> loadFinished_;
    bool unattended_ = false;
    bool isolatedLoads_ = false;
};

} // namespace velcaro
