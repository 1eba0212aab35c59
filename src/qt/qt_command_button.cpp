#include "qt/qt_command_button.h"

#include "qt/twips.h"

namespace velcaro {

QtCommandButton::QtCommandButton(QPushButton* button, const TwipsRect& designed)
    : button_(button), left_(designed.left), top_(designed.top), width_(designed.width),
      height_(designed.height) {
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
