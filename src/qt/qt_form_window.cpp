#include "qt/qt_form_window.h"

#include "platform/velcaro_error.h"
#include "qt/qt_window_widget.h"
#include "qt/twips.h"

#include <QMenuBar>

namespace velcaro {

QtWindowWidget& QtFormWindow::widget() const {
    if (!widget_)
        throw VelcaroError(error::kInternal, QStringLiteral("La finestra non esiste più."));
    return *widget_;
}

int QtFormWindow::WindowState() const {
    const Qt::WindowStates state = widget().windowState();
    if (state & Qt::WindowMinimized)
        return WindowMinimized;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return WindowMaximized;
    return WindowNormal;
}

float QtFormWindow::ScaleWidth() const {
    return static_cast<float>(Twips::fromPixels(widget().client()->width()));
}

float QtFormWindow::ScaleHeight() const {
    return static_cast<float>(Twips::fromPixels(widget().client()->height()));
}

float QtFormWindow::Width() const {
    return static_cast<float>(Twips::fromPixels(widget().frameGeometry().width()));
}

float QtFormWindow::Height() const {
    return static_cast<float>(Twips::fromPixels(widget().frameGeometry().height()));
}

void QtFormWindow::setWidth(float twips) {
    QtWindowWidget& w = widget();
    const int frame = w.frameGeometry().width() - w.width();
    const int outer = Twips::toPixels(twips);
    if (outer != w.frameGeometry().width())
        w.resize(std::max(1, outer - frame), w.height());
}

void QtFormWindow::setHeight(float twips) {
    QtWindowWidget& w = widget();
    const int frame = w.frameGeometry().height() - w.height();
    const int outer = Twips::toPixels(twips);
    if (outer != w.frameGeometry().height())
        w.resize(w.width(), std::max(1, outer - frame));
}

void QtFormWindow::setCaption(const QString& caption) {
    widget().setWindowTitle(caption);
}

void QtFormWindow::Show() {
    QtWindowWidget& w = widget();
    w.show();
    w.raise();
    w.activateWindow();
}

void QtFormWindow::SetFocus() {
    widget().activateWindow();
}

bool QtFormWindow::isVisible() const {
    return widget_ && widget_->isVisible();
}

void QtFormWindow::setClientSize(double widthTwips, double heightTwips) {
    QtWindowWidget& w = widget();
    const int menuHeight = w.menuWidget() ? w.menuWidget()->sizeHint().height() : 0;
    w.resize(Twips::toPixels(widthTwips), Twips::toPixels(heightTwips) + menuHeight);
}

} // namespace velcaro
