#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <vector>

namespace velcaro {

// Catches the signals `numbers` and calls `arrived` with each one's number from the event loop,
// where anything may be done; the handler itself only writes the number to a pipe the loop watches.
// The signals are caught while it lives, then their default action comes back. One at a time.
class SignalNotifier {
public:
    SignalNotifier(std::vector<int> numbers, std::function<void(int)> arrived);
    ~SignalNotifier();
    SignalNotifier(const SignalNotifier&) = delete;
    SignalNotifier& operator=(const SignalNotifier&) = delete;

private:
    std::vector<int> numbers_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace velcaro
