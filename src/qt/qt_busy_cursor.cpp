#include "qt/qt_busy_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace velcaro {

QtBusyCursor::QtBusyCursor() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

QtBusyCursor::~QtBusyCursor() {
    QGuiApplication::restoreOverrideCursor();
}

} // namespace velcaro
