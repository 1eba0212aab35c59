#pragma once

#include "qt/qt_window_widget.h"

#include <QPointer>
#include <functional>
#include <memory>

namespace velcaro {

// What every window built with Qt shares: its top-level widget, destroyed with the window,
// and handlers that run through the form's error report, only while the window exists.
template <typename FormT> class QtFormUi {
protected:
    QtFormUi(FormT& form, QtWindowWidget* widget)
        : form_(form), alive_(std::make_shared<bool>(true)), widget_(widget) {}

    // The window may go while one of its own events is being handled (a close button), so
    // the widget is deleted once control is back in the event loop.
    ~QtFormUi() {
        *alive_ = false;
        if (widget_) {
            widget_->hide();
            widget_->deleteLater();
        }
    }

    std::function<void()> handler(void (FormT::*method)()) {
        return [form = &form_, alive = alive_, method] {
            if (*alive)
                form->dispatch([form, method] { (form->*method)(); });
        };
    }

    FormT& form_;
    std::shared_ptr<bool> alive_;
    QPointer<QtWindowWidget> widget_;
};

} // namespace velcaro
