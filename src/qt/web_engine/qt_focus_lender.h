#pragma once

#include <QPointer>
#include <QWidget>

namespace velcaro {

// Gives `widget` the keyboard focus for the lifetime of the object, then returns it to the
// widget that had it: the engine selects and copies only in a page that has the focus.
class QtFocusLender {
public:
    explicit QtFocusLender(QWidget& widget);
    ~QtFocusLender();
    QtFocusLender(const QtFocusLender&) = delete;
    QtFocusLender& operator=(const QtFocusLender&) = delete;

private:
    QPointer<QWidget> previous_;
};

} // namespace velcaro
