#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

namespace velcaro {

// The browser's clipboard is one for all its pages: their copies take turns, in the order they
// asked. A turn whose holder is gone, or that is given back, passes to the next.
class CopyTurns {
public:
    // `go` runs, from the caller or at the end of the turn before, when it is `holder`'s turn
    // and `holder` still exists. Returns the ticket that gives the turn back (or withdraws it).
    int request(QObject* holder, std::function<void()> go);
    // Gives back the turn of `ticket`, or takes it out of the queue.
    void release(int ticket);

private:
    void next();

    struct Waiting {
        int ticket;
        QPointer<QObject> holder;
        std::function<void()> go;
    };
    QList<Waiting> waiting_;
    int current_ = 0;
    int nextTicket_ = 1;
};

} // namespace velcaro
