#include "qt/qt_capture_page.h"

#include <QPointer>
#include <QWidget>

namespace velcaro {

QtCapturePage::QtCapturePage(QWidget* host) : browser_(std::make_unique<QtWebBrowser>(host)) {
    browser_->setUnattended();
    browser_->setIsolatedLoads();
}

QtCapturePage::~QtCapturePage() {
    const QPointer<QWidget> area = browser_->area();
    browser_.reset();
    delete area;
}

void QtCapturePage::setLoadFinished(std::function<void(const QString& failure)> finished) {
    browser_->setLoadFinished(std::move(finished));
}

QString QtCapturePage::userAgent() {
    return browser_->userAgent();
}

PageFacts QtCapturePage::facts(bool language) {
    return browser_->facts(language);
}

bool QtCapturePage::showsText() {
    return browser_->showsText();
}

} // namespace velcaro
