#include "qt/web_engine/qt_focus_lender.h"

#include <QApplication>

namespace velcaro {

QtFocusLender::QtFocusLender(QWidget& widget) : previous_(QApplication::focusWidget()) {
    widget.setFocus(Qt::OtherFocusReason);
}

QtFocusLender::~QtFocusLender() {
    if (previous_)
        previous_->setFocus(Qt::OtherFocusReason);
}

} // namespace velcaro
