#include "qt/web_engine/qt_web_page.h"

#include "platform/velcaro_error.h"
#include "qt/web_engine/qt_load_progress_line.h"
#include "qt/web_engine/qt_web_view.h"

namespace velcaro {

QtWebPage::QtWebPage(QWidget* parent) : view_(new QtWebView(parent)) {
    new QtLoadProgressLine(*view_);
}

QtWebPage::~QtWebPage() {
    delete view_;
}

QWebEngineView& QtWebPage::view() {
    if (!view_)
        throw VelcaroError(error::kInternal, QStringLiteral("Il browser non esiste più."));
    return *view_;
}

void QtWebPage::load(const QUrl& url) {
    view().setUrl(url);
}

bool QtWebPage::hasDocument() const {
    return view_ && !view_->url().isEmpty();
}

void QtWebPage::print() {
    printer_.printWithDialog(view());
}

void QtWebPage::preview() {
    printer_.previewWithDialog(view());
}

void QtWebPage::selectAll() {
    copier_.selectAll(view());
}

void QtWebPage::copy() {
    copier_.copy(view());
}

void QtWebPage::clearSelection() {
    copier_.clearSelection(view());
}

} // namespace velcaro

// Exported by Qt WebEngine Core: sets up what the engine needs of the application (the shared
// OpenGL context). It runs by itself when the engine is linked into the program; loaded as a
// module after the application object exists, the engine must be initialized by hand.
namespace QtWebEngineCore {
Q_DECL_IMPORT void initialize();
}

// The module's entry point, found by name when the module is loaded.
extern "C" Q_DECL_EXPORT velcaro::WebPage* velcaro_create_web_page(QWidget* parent) {
    static const bool initialized = [] {
        QtWebEngineCore::initialize();
        return true;
    }();
    Q_UNUSED(initialized);
    return new velcaro::QtWebPage(parent);
}
