#pragma once

#include <QFile>
#include <QString>
#include <deque>
#include <memory>

class QTemporaryFile;

namespace velcaro {

// A first-in first-out queue of a crawl's addresses with their depth, in memory up to
// kInMemory entries and past them in a file made in `folder` (removed with the queue), read
// back a slice at a time: a frontier of millions costs the disk, not the memory.
class CrawlQueue {
public:
    explicit CrawlQueue(QString folder);
    ~CrawlQueue();

    struct Item {
        QString address;
        int depth = 0;
        bool pdf = false;
    };
    void push(Item item);
    // The first item, taken out; false when the queue is empty.
    bool pop(Item* item);
    qint64 size() const { return static_cast<qint64>(memory_.size()) + spilled_; }
    // Why the file could not be written, or empty; the items that could not go to it are lost.
    const QString& problem() const { return problem_; }

    static constexpr int kInMemory = 20000;

private:
    void refill();

    QString folder_;
    std::deque<Item> memory_;
    std::unique_ptr<QTemporaryFile> file_;
    qint64 readAt_ = 0;
    qint64 spilled_ = 0;
    QString problem_;
};

} // namespace velcaro
