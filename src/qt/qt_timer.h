#pragma once

#include "platform/timer.h"

#include <QPointer>
#include <QTimer>

namespace velcaro {

// Timer over a single-shot QTimer.
class QtTimer : public Timer {
public:
    explicit QtTimer(QTimer* timer) : timer_(timer) {}

    void start() override;
    void stop() override;

private:
    QPointer<QTimer> timer_;
};

} // namespace velcaro
