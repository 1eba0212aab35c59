#pragma once

#include <QAccessibleObject>

namespace velcaro {

// The program as screen readers see it: its windows are the windows of its widgets. The web
// engine's view draws the page through a window of its own that never reaches the screen (the
// offscreen window of a QQuickWidget, titled "Offscreen"); Qt would list it beside the
// program's windows.
class QtAccessibleApplication : public QAccessibleApplication {
public:
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* child(int index) const override;

    // Makes this the application's accessible interface; before anything asks for it.
    static void install();

private:
    static QList<QAccessibleInterface*> windows();
};

} // namespace velcaro
