#include "platform/qt_web_browser.h"

#include "platform/address_url.h"
#include "platform/twips.h"
#include "platform/velcaro_error.h"

#include <QDir>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <algorithm>

namespace velcaro {

QtWebBrowser::QtWebBrowser(QWidget* parent) : area_(new QWidget(parent)) {
    area_->setObjectName(QStringLiteral("WebBrowser1"));
    auto* layout = new QVBoxLayout(area_);
    layout->setContentsMargins(0, 0, 0, 0);
}

QWebEngineView& QtWebBrowser::ensureView() {
    if (!area_)
        throw VelcaroError(error::kInternal, QStringLiteral("Il browser non esiste più."));
    if (!view_) {
        view_ = new QWebEngineView(area_);
        area_->layout()->addWidget(view_);
        area_->setFocusProxy(view_);
    }
    return *view_;
}

QWebEngineView& QtWebBrowser::requireDocument() {
    if (!view_ || view_->url().isEmpty())
        throw VelcaroError(error::kNoPageShown,
                           QStringLiteral("Nessuna pagina visualizzata: aprire prima una pagina "
                                          "con il pulsante GO."));
    return *view_;
}

void QtWebBrowser::Navigate(const QString& url) {
    ensureView().setUrl(addressToUrl(url, QDir::currentPath()));
}

void QtWebBrowser::ExecWB(int cmdID, int cmdexecopt) {
    Q_UNUSED(cmdexecopt);
    switch (cmdID) {
    case olecmd::kPrint:
        printer_.printWithDialog(requireDocument(), area_->window());
        return;
    case olecmd::kPrintPreview:
        printer_.previewWithDialog(requireDocument(), area_->window());
        return;
    case olecmd::kSelectAll:
        copier_.selectAll(requireDocument());
        return;
    case olecmd::kCopy:
        copier_.copy(requireDocument());
        return;
    case olecmd::kClearSelection:
        copier_.clearSelection(requireDocument());
        return;
    default:
        throw VelcaroError(error::kUnsupportedCommand,
                           QStringLiteral("Comando %1 del browser non supportato.").arg(cmdID));
    }
}

void QtWebBrowser::setVisible(bool visible) {
    if (area_)
        area_->setVisible(visible);
}

void QtWebBrowser::Move(float left, double top, float width, double height) {
    if (!area_)
        return;
    area_->setGeometry(Twips::toPixels(left), Twips::toPixels(top),
                       std::max(0, Twips::toPixels(width)), std::max(0, Twips::toPixels(height)));
}

} // namespace velcaro
