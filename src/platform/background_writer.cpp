#include "platform/background_writer.h"

#include "platform/velcaro_error.h"

#include <QFile>
#include <cstdio>

namespace velcaro {

BackgroundWriter::BackgroundWriter(QString path, Write write)
    : path_(std::move(path)), write_(std::move(write)) {}

BackgroundWriter::~BackgroundWriter() {
    if (!thread_)
        return;
    {
        const QMutexLocker lock(&mutex_);
        stopping_ = true;
        waiting_.reset();
        changed_.wakeAll();
    }
    thread_->wait();
}

void BackgroundWriter::write(const QString& text) {
    const QMutexLocker lock(&mutex_);
    waiting_ = text;
    if (!thread_) {
        thread_.reset(QThread::create([this] { run(); }));
        thread_->start();
    }
    changed_.wakeAll();
}

void BackgroundWriter::writeNow(const QString& text) {
    QMutexLocker lock(&mutex_);
    waiting_.reset();
    waitUntilIdle();
    busy_ = true;
    lock.unlock();
    const auto idle = [this] {
        const QMutexLocker relock(&mutex_);
        busy_ = false;
        changed_.wakeAll();
    };
    try {
        write_(path_, text.toUtf8());
    } catch (...) {
        idle();
        throw;
    }
    idle();
}

void BackgroundWriter::remove() {
    QMutexLocker lock(&mutex_);
    waiting_.reset();
    waitUntilIdle();
    QFile::remove(path_);
}

void BackgroundWriter::waitUntilIdle() {
    while (busy_)
        changed_.wait(&mutex_);
}

// A failed write is told once on standard error: the text stays in the window, and the next
// change tries again.
void BackgroundWriter::run() {
    QMutexLocker lock(&mutex_);
    for (;;) {
        while (!waiting_ && !stopping_)
            changed_.wait(&mutex_);
        if (stopping_)
            return;
        const QString text = std::move(*waiting_);
        waiting_.reset();
        busy_ = true;
        lock.unlock();
        QString failure;
        try {
            write_(path_, text.toUtf8());
        } catch (const VelcaroError& e) {
            failure = e.description();
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
        lock.relock();
        busy_ = false;
        changed_.wakeAll();
        if (!failure.isEmpty() && !failureTold_) {
            failureTold_ = true;
            std::fprintf(stderr,
                         "velcaro: il testo catturato non è stato salvato per il "
                         "recupero: %s\n",
                         qUtf8Printable(failure));
        }
    }
}

} // namespace velcaro
