#include "qt/qt_command_button.h"

#include "qt/twips.h"

namespace velcaro {

QtCommandButton::QtCommandButton(QPushButton* button, const TwipsRect& designed)
    : button_(button), rect_(designed) {
    place();
}

void QtCommandButton::setLeft(float twips) {
    rect_.left = twips;
    place();
}

void QtCommandButton::place() {
    if (button_)
        button_->setGeometry(Twips::toPixels(rect_));
}

} // namespace velcaro
