#include "chromium/copy_turns.h"

namespace velcaro {

int CopyTurns::request(QObject* holder, std::function<void()> go) {
    const int ticket = nextTicket_++;
    waiting_.append({ticket, holder, std::move(go)});
    if (current_ == 0)
        next();
    return ticket;
}

void CopyTurns::release(int ticket) {
    if (ticket == current_) {
        current_ = 0;
        next();
        return;
    }
    waiting_.removeIf([ticket](const Waiting& w) { return w.ticket == ticket; });
}

void CopyTurns::next() {
    while (current_ == 0 && !waiting_.isEmpty()) {
        const Waiting turn = waiting_.takeFirst();
        if (!turn.holder)
            continue;
        current_ = turn.ticket;
        turn.go();
    }
}

} // namespace velcaro
