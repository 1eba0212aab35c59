#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>
#include <functional>
#include <memory>
#include <optional>

namespace velcaro {

// Writes the latest text given to it into one file as UTF-8, in a thread of its own, so that
// a long text does not stop the caller. A text given while another is written waits, and a
// later one replaces it.
class BackgroundWriter {
public:
    // How the bytes reach the file; throws VelcaroError on failure.
    using Write = std::function<void(const QString& path, const QByteArray& bytes)>;

    BackgroundWriter(QString path, Write write);
    // Finishes the write under way; a waiting text is dropped.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    const QString& path() const { return path_; }
    void write(const QString& text);
    // Writes `text` in the calling thread once the write under way is done; throws
    // VelcaroError when it fails.
    void writeNow(const QString& text);
    // Drops a waiting text, waits for the write under way and removes the file.
    void remove();

private:
    void run();
    // Waits, with the mutex held, until no write is under way.
    void waitUntilIdle();

    QString path_;
    Write write_;
    QMutex mutex_;
    QWaitCondition changed_;
    std::optional<QString> waiting_;
    bool busy_ = false;
    bool stopping_ = false;
    bool failureTold_ = false;
    std::unique_ptr<QThread> thread_;
};

} // namespace velcaro
