#pragma once

#include <deque>
#include <functional>

namespace velcaro {

// The process has one clipboard, and a page's copy is told from another's only by when it
// reaches it: the copies of the capture's pages take turns, in the order they asked.
class QtCopyTurns {
public:
    static QtCopyTurns& instance();

    // `start` runs from the event loop when the turn of `owner` comes, at once when nobody is
    // copying. An owner asks for one turn at a time.
    void ask(const void* owner, std::function<void()> start);
    // `owner` is done with its turn, or gives up the one it asked for; the next one starts.
    void release(const void* owner);

private:
    void startNext();

    struct Turn {
        const void* owner;
        std::function<void()> start;
    };
    std::deque<Turn> waiting_;
    const void* current_ = nullptr;
    bool starting_ = false;
};

} // namespace velcaro
