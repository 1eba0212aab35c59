#pragma once

namespace velcaro {

// A timer of a window: its event comes once, a set time after it was started, unless it is
// stopped first. Starting a running timer changes nothing, so that a steady stream of starts
// still gets the event every so often.
class Timer {
public:
    virtual ~Timer() = default;

    virtual void start() = 0;
    virtual void stop() = 0;
};

} // namespace velcaro
