#include "qt/qt_window_widget.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <algorithm>

namespace velcaro {

QtWindowWidget::QtWindowWidget(const QString& objectName) : client_(new QWidget(this)) {
    setObjectName(objectName);
    client_->setObjectName(objectName + QStringLiteral("Client"));
    setCentralWidget(client_);
    client_->installEventFilter(this);
}

void QtWindowWidget::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && onResize)
        onResize();
}

void QtWindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClose)
        onClose();
}

bool QtWindowWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize && onResize)
        onResize();
    return QMainWindow::eventFilter(watched, event);
}

void QtWindowWidget::setControlFontSize(double points) {
    QFont font = QApplication::font();
    font.setPointSizeF(points);
    client_->setFont(font);
}

void QtWindowWidget::fitToScreen() {
    const QScreen* where = screen();
    if (!where)
        return;
    const QRect available = where->availableGeometry();
    const QSize room = available.size() - (frameGeometry().size() - size());
    if (width() > room.width() || height() > room.height())
        resize(size().boundedTo(room));
    const QRect outer = frameGeometry();
    if (!isVisible() || available.contains(outer))
        return;
    move(std::max(available.left(), std::min(outer.left(), available.right() + 1 - outer.width())),
         std::max(available.top(), std::min(outer.top(), available.bottom() + 1 - outer.height())));
}

// The window manager places a window shown by the program with a move of its own.
void QtWindowWidget::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    fitToScreen();
    placing_ = true;
}

void QtWindowWidget::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (placing_ && event->spontaneous()) {
        placing_ = false;
        fitToScreen();
    }
}

} // namespace velcaro
