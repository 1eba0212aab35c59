#include "qt/qt_web_browser.h"

#include "platform/typed_address.h"
#include "platform/velcaro_error.h"
#include "qt/qt_busy_cursor.h"
#include "qt/rtf_mime_data.h"
#include "qt/twips.h"
#include "qt/web_engine_loader.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QVBoxLayout>

namespace velcaro {

QtWebBrowser::QtWebBrowser(QWidget* parent) : area_(new QWidget(parent)) {
    area_->setObjectName(QStringLiteral("WebBrowser1"));
    auto* layout = new QVBoxLayout(area_);
    layout->setContentsMargins(0, 0, 0, 0);
}

QtWebBrowser::~QtWebBrowser() = default;

WebPage& QtWebBrowser::ensurePage() {
    if (!area_)
        throw VelcaroError(error::kInternal, QStringLiteral("Il browser non esiste più."));
    if (!page_) {
        page_ = createWebPage(area_);
        area_->layout()->addWidget(page_->widget());
        area_->setFocusProxy(page_->widget());
    }
    return *page_;
}

WebPage& QtWebBrowser::requireDocument() {
    if (!page_ || !page_->hasDocument())
        throw VelcaroError(error::kNoPageShown,
                           QStringLiteral("Nessuna pagina visualizzata: aprire prima una pagina "
                                          "con il pulsante GO."));
    return *page_;
}

void QtWebBrowser::Navigate(const QString& url) {
    ensurePage().load(readAddress(url, QDir::currentPath(), pathExists).url);
}

void QtWebBrowser::ExecWB(int cmdID, int cmdexecopt) {
    Q_UNUSED(cmdexecopt);
    switch (cmdID) {
    case olecmd::kPrint:
        requireDocument().print();
        return;
    case olecmd::kPrintPreview:
        requireDocument().preview();
        return;
    case olecmd::kSelectAll: {
        const QtBusyCursor busy;
        requireDocument().selectAll();
        return;
    }
    case olecmd::kCopy: {
        const QtBusyCursor busy;
        requireDocument().copy();
        offerRtf();
        return;
    }
    case olecmd::kClearSelection:
        requireDocument().clearSelection();
        return;
    default:
        throw VelcaroError(error::kUnsupportedCommand,
                           QStringLiteral("Comando %1 del browser non supportato.").arg(cmdID));
    }
}

bool QtWebBrowser::selectMainText() {
    const QtBusyCursor busy;
    return requireDocument().selectMainText();
}

void QtWebBrowser::offerRtf() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* copied = clipboard->mimeData();
    if (copied)
        clipboard->setMimeData(
            new RtfMimeData(copied->text(), copied->data(QStringLiteral("text/html"))));
}

void QtWebBrowser::setVisible(bool visible) {
    if (area_)
        area_->setVisible(visible);
}

void QtWebBrowser::Move(float left, double top, float width, double height) {
    if (!area_)
        return;
    area_->setGeometry(Twips::toPixels(
        TwipsRect{left, static_cast<float>(top), width, static_cast<float>(height)}));
}

} // namespace velcaro
