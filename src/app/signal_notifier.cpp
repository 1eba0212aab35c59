#include "app/signal_notifier.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace velcaro {
namespace {

// The write end is the handler's, the read end the notifier's.
int signalPipe[2] = {-1, -1};

extern "C" void onSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

SignalNotifier::SignalNotifier(std::vector<int> numbers, std::function<void(int)> arrived)
    : numbers_(std::move(numbers)) {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [arrived = std::move(arrived)] {
        char number = 0;
        while (::read(signalPipe[0], &number, 1) == 1)
            arrived(number);
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : numbers_)
        ::sigaction(number, &action, nullptr);
}

SignalNotifier::~SignalNotifier() {
    for (const int number : numbers_)
        std::signal(number, SIG_DFL);
}

} // namespace velcaro
