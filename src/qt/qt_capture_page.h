#pragma once

#include "platform/capture_page.h"
#include "qt/qt_web_browser.h"

#include <memory>

class QWidget;

namespace velcaro {

// A page of the command-line capture: a browser area inside `host`, a window nobody sees,
// whose script dialogs return at once. Each address it loads starts from a new page, as if
// opened for the first time. Deleting it deletes the area and the page.
class QtCapturePage : public CapturePage {
public:
    explicit QtCapturePage(QWidget* host);
    ~QtCapturePage() override;

    WebBrowser& browser() override { return *browser_; }
    void setLoadFinished(std::function<void(const QString& failure)> finished) override;
    PageFacts facts(bool language) override;
    bool showsText() override;
    QString userAgent() override;

private:
    std::unique_ptr<QtWebBrowser> browser_;
};

} // namespace velcaro
