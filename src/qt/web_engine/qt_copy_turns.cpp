#include "qt/web_engine/qt_copy_turns.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>

namespace velcaro {

QtCopyTurns& QtCopyTurns::instance() {
    static QtCopyTurns turns;
    return turns;
}

void QtCopyTurns::ask(const void* owner, std::function<void()> start) {
    waiting_.push_back({owner, std::move(start)});
    startNext();
}

void QtCopyTurns::release(const void* owner) {
    waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(),
                                  [owner](const Turn& turn) { return turn.owner == owner; }),
                   waiting_.end());
    if (current_ != owner)
        return;
    current_ = nullptr;
    startNext();
}

void QtCopyTurns::startNext() {
    if (current_ || starting_ || waiting_.empty())
        return;
    // From the event loop: the owner that asks, or releases, is still on the call stack.
    starting_ = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this] {
            starting_ = false;
            if (current_ || waiting_.empty())
                return;
            Turn turn = std::move(waiting_.front());
            waiting_.pop_front();
            current_ = turn.owner;
            turn.start();
        },
        Qt::QueuedConnection);
}

} // namespace velcaro
