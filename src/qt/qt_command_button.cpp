#include "qt/qt_command_button.h"

#include "qt/twips.h"

namespace velcaro {

QtCommandButton::QtCommandButton(QPushButton* button, float left, float top, float width,
                                 float height)
    : button_(button), left_(left), top_(top), width_(width), height_(height) {
    place();
}

void QtCommandButton::setLeft(float twips) {
    left_ = twips;
    place();
}

void QtCommandButton::place() {
    if (button_)
        button_->setGeometry(Twips::toPixels(left_), Twips::toPixels(top_), Twips::toPixels(width_),
                             Twips::toPixels(height_));
}

} // namespace velcaro
