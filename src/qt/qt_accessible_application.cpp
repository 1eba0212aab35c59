#include "qt/qt_accessible_application.h"

#include <QGuiApplication>
#include <QWindow>

namespace velcaro {
namespace {

QAccessibleInterface* applicationInterface(const QString& className, QObject* object) {
    if (object == qApp && className == QLatin1String("QApplication"))
        return new QtAccessibleApplication;
    return nullptr;
}

} // namespace

QList<QAccessibleInterface*> QtAccessibleApplication::windows() {
    QList<QAccessibleInterface*> list;
    const QWindowList topLevels = QGuiApplication::topLevelWindows();
    for (QWindow* window : topLevels) {
        if (window->type() == Qt::Popup || window->type() == Qt::Desktop)
            continue;
        QAccessibleInterface* root = window->accessibleRoot();
        if (root && root->object() && root->object()->isWidgetType())
            list << root;
    }
    return list;
}

int QtAccessibleApplication::childCount() const {
    return static_cast<int>(windows().size());
}

int QtAccessibleApplication::indexOfChild(const QAccessibleInterface* child) const {
    return static_cast<int>(windows().indexOf(const_cast<QAccessibleInterface*>(child)));
}

QAccessibleInterface* QtAccessibleApplication::child(int index) const {
    return windows().value(index);
}

void QtAccessibleApplication::install() {
    QAccessible::installFactory(applicationInterface);
}

} // namespace velcaro
