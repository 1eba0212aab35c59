#include "qt/qt_window_widget.h"

#include <QCloseEvent>

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

} // namespace velcaro
