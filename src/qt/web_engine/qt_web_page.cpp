#include "qt/web_engine/qt_web_page.h"

#include "platform/velcaro_error.h"
#include "qt/web_engine/qt_load_progress_line.h"
#include "qt/web_engine/qt_web_view.h"

namespace velcaro {

QtWebPage::QtWebPage(QWidget* parent) : view_(new QtWebView(parent)) {
    usePage(new QtGuardedPage(view_));
    new QtLoadProgressLine(*view_);
}

void QtWebPage::usePage(QtGuardedPage* page) {
    page_ = page;
    view_->setPage(page_);
}

QtWebPage::~QtWebPage() {
    // The view may outlive this object for a moment (disposeView).
    if (view_)
        page_->disposeView(view_);
}

QWebEngineView& QtWebPage::view() {
    if (!view_)
        throw VelcaroError(error::kInternal, QStringLiteral("Il browser non esiste più."));
    return *view_;
}

QtGuardedPage& QtWebPage::page() {
    view();
    return *page_;
}

QWebEngineView& QtWebPage::liveView(int failure) {
    QWebEngineView& v = view();
    if (page().processEnded())
        throw VelcaroError(failure,
                           QStringLiteral("La pagina si è interrotta: premere GO per caricarla "
                                          "di nuovo."));
    return v;
}

void QtWebPage::load(const QUrl& url) {
    page().open(url);
}

bool QtWebPage::hasDocument() const {
    return view_ && !view_->url().isEmpty();
}

void QtWebPage::print() {
    printer_.printWithDialog(liveView(error::kPrintFailed));
}

void QtWebPage::preview() {
    printer_.previewWithDialog(liveView(error::kPrintFailed));
}

void QtWebPage::selectAll() {
    copier_.selectAll(liveView(error::kCopyFailed));
}

bool QtWebPage::selectMainText() {
    return copier_.selectMainText(liveView(error::kCopyFailed));
}

void QtWebPage::copy() {
    copier_.copy(liveView(error::kCopyFailed));
}

void QtWebPage::clearSelection() {
    copier_.clearSelection(view());
}

} // namespace velcaro
