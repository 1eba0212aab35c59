#include "qt/qt_timer.h"

namespace velcaro {

void QtTimer::start() {
    if (timer_ && !timer_->isActive())
        timer_->start();
}

void QtTimer::stop() {
    if (timer_)
        timer_->stop();
}

} // namespace velcaro
