#include "batch_capture/crawl_queue.h"

#include <QDir>
#include <QTemporaryFile>

namespace velcaro {

CrawlQueue::CrawlQueue(QString folder) : folder_(std::move(folder)) {}

CrawlQueue::~CrawlQueue() = default;

// An item past the memory's bound, or behind one in the file, goes to the file: one line,
// "DEPTH PDF ADDRESS", the address fully encoded and so free of line breaks.
void CrawlQueue::push(Item item) {
    if (spilled_ == 0 && memory_.size() < static_cast<size_t>(kInMemory)) {
        memory_.push_back(std::move(item));
        return;
    }
    if (!file_) {
        file_ = std::make_unique<QTemporaryFile>(
            QDir(folder_).filePath(QStringLiteral(".velcaro-frontiera-XXXXXX")));
        if (!file_->open()) {
            problem_ = file_->errorString();
            file_.reset();
            return;
        }
    }
    const QByteArray line = QByteArray::number(item.depth) + ' ' + (item.pdf ? '1' : '0') + ' ' +
                            item.address.toUtf8() + '\n';
    if (!file_->seek(file_->size()) || file_->write(line) != line.size()) {
        problem_ = file_->errorString();
        return;
    }
    ++spilled_;
}

bool CrawlQueue::pop(Item* item) {
    if (memory_.empty())
        refill();
    if (memory_.empty())
        return false;
    *item = std::move(memory_.front());
    memory_.pop_front();
    return true;
}

void CrawlQueue::refill() {
    if (spilled_ == 0 || !file_)
        return;
    file_->flush();
    if (!file_->seek(readAt_))
        return;
    while (spilled_ > 0 && memory_.size() < static_cast<size_t>(kInMemory / 2)) {
        const QByteArray line = file_->readLine();
        if (line.isEmpty())
            break;
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() == 3)
            memory_.push_back({QString::fromUtf8(parts[2]), parts[0].toInt(), parts[1] == "1"});
        --spilled_;
    }
    readAt_ = file_->pos();
    // All read back: the file starts again empty.
    if (spilled_ == 0) {
        file_->resize(0);
        readAt_ = 0;
    }
}

} // namespace velcaro
