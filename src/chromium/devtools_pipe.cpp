#include "chromium/devtools_pipe.h"

#include <QJsonDocument>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace velcaro {
namespace {

constexpr int kBrowserReads = 3;
constexpr int kBrowserWrites = 4;
constexpr int kReadChunk = 1 << 16;

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Writes what the pipe takes now. A browser that ended would raise SIGPIPE, which ends the
// whole program by default: it is held back for this write and dropped if it came.
ssize_t writeHoldingSigpipe(int fd, const char* data, size_t size) {
    sigset_t pipeSignal, previous, pending;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const ssize_t written = ::write(fd, data, size);
    const int writeError = errno;
    if (written < 0 && writeError == EPIPE && !wasPending) {
        const timespec now{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = writeError;
    return written;
}

} // namespace

DevToolsPipe::DevToolsPipe() = default;

DevToolsPipe::~DevToolsPipe() {
    closeFd(commands_[0]);
    closeFd(commands_[1]);
    closeFd(answers_[0]);
    closeFd(answers_[1]);
}

bool DevToolsPipe::open() {
    if (::pipe2(commands_, O_CLOEXEC) != 0 || ::pipe2(answers_, O_CLOEXEC) != 0)
        return false;
    // Our ends never block the event loop; the browser's stay as the browser expects them.
    ::fcntl(commands_[1], F_SETFL, O_NONBLOCK);
    ::fcntl(answers_[0], F_SETFL, O_NONBLOCK);
    return true;
}

void DevToolsPipe::placeInChild() const {
    // Copied above the low numbers first: an end may itself sit on 3 or 4. dup2 onto another
    // number leaves the copy open across exec.
    const int reads = ::fcntl(commands_[0], F_DUPFD, 10);
    const int writes = ::fcntl(answers_[1], F_DUPFD, 10);
    ::dup2(reads, kBrowserReads);
    ::dup2(writes, kBrowserWrites);
    ::close(reads);
    ::close(writes);
}

void DevToolsPipe::attach() {
    closeFd(commands_[0]);
    closeFd(answers_[1]);
    reader_ = new QSocketNotifier(answers_[0], QSocketNotifier::Read, this);
    connect(reader_, &QSocketNotifier::activated, this, &DevToolsPipe::readAvailable);
    writer_ = new QSocketNotifier(commands_[1], QSocketNotifier::Write, this);
    writer_->setEnabled(!outbox_.isEmpty());
    connect(writer_, &QSocketNotifier::activated, this, &DevToolsPipe::writeAvailable);
}

void DevToolsPipe::send(const QString& method, const QJsonObject& params, const QString& sessionId,
                        QObject* receiver, Answer answer) {
    const int id = nextId_++;
    QJsonObject message{{QStringLiteral("id"), id}, {QStringLiteral("method"), method}};
    if (!params.isEmpty())
        message.insert(QStringLiteral("params"), params);
    if (!sessionId.isEmpty())
        message.insert(QStringLiteral("sessionId"), sessionId);
    if (closed_) {
        // Answered from the event loop, as every answer is.
        if (answer)
            QMetaObject::invokeMethod(
                this,
                [guard = QPointer<QObject>(receiver), bound = receiver != nullptr, answer] {
                    if (!bound || guard)
                        answer({}, QStringLiteral("closed"));
                },
                Qt::QueuedConnection);
        return;
    }
    if (answer)
        pending_.insert(id, {receiver, receiver != nullptr, std::move(answer)});
    outbox_ += QJsonDocument(message).toJson(QJsonDocument::Compact);
    outbox_ += '\0';
    if (writer_)
        writeAvailable();
}

void DevToolsPipe::setEventHandler(const QString& sessionId, QObject* receiver,
                                   EventHandler handler) {
    handlers_.insert(sessionId, {receiver, std::move(handler)});
}

void DevToolsPipe::removeEventHandler(const QString& sessionId) {
    handlers_.remove(sessionId);
}

void DevToolsPipe::writeAvailable() {
    while (!outbox_.isEmpty()) {
        const ssize_t written =
            writeHoldingSigpipe(commands_[1], outbox_.constData(), size_t(outbox_.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN)
            break;
        if (written <= 0) {
            close();
            return;
        }
        outbox_.remove(0, written);
    }
    writer_->setEnabled(!outbox_.isEmpty());
}

void DevToolsPipe::readAvailable() {
    QPointer<DevToolsPipe> alive(this);
    for (;;) {
        const qsizetype had = inbox_.size();
        inbox_.resize(had + kReadChunk);
        const ssize_t got = ::read(answers_[0], inbox_.data() + had, kReadChunk);
        inbox_.resize(had + qMax<ssize_t>(got, 0));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            break;
        if (got <= 0) {
            close();
            return;
        }
    }
    // Messages are taken out before they are handled: a handler may send, or delete this.
    qsizetype end;
    while (alive && (end = inbox_.indexOf('\0')) >= 0) {
        const QByteArray message = inbox_.left(end);
        inbox_.remove(0, end + 1);
        dispatch(message);
    }
}

void DevToolsPipe::dispatch(const QByteArray& message) {
    QJsonParseError parseError;
    const QJsonObject object = QJsonDocument::fromJson(message, &parseError).object();
    if (parseError.error != QJsonParseError::NoError) {
        close();
        return;
    }
    const auto id = object.value(QStringLiteral("id"));
    if (!id.isUndefined()) {
        const Pending pending = pending_.take(id.toInt());
        if (!pending.answer || (pending.bound && !pending.receiver))
            return;
        const auto error = object.value(QStringLiteral("error"));
        pending.answer(object.value(QStringLiteral("result")).toObject(),
                       error.isUndefined() ? QString()
                                           : error.toObject()
                                                 .value(QStringLiteral("message"))
                                                 .toString(QStringLiteral("error")));
        return;
    }
    const QString sessionId = object.value(QStringLiteral("sessionId")).toString();
    const auto handler = handlers_.constFind(sessionId);
    if (handler == handlers_.constEnd())
        return;
    if (!handler->receiver) {
        handlers_.erase(handler);
        return;
    }
    const EventHandler handle = handler->handler;
    handle(object.value(QStringLiteral("method")).toString(),
           object.value(QStringLiteral("params")).toObject());
}

void DevToolsPipe::close() {
    if (closed_)
        return;
    closed_ = true;
    if (reader_)
        reader_->setEnabled(false);
    if (writer_)
        writer_->setEnabled(false);
    outbox_.clear();
    QPointer<DevToolsPipe> alive(this);
    const QHash<int, Pending> unanswered = std::exchange(pending_, {});
    for (const Pending& pending : unanswered)
        if (alive && pending.answer && (!pending.bound || pending.receiver))
            pending.answer({}, QStringLiteral("closed"));
    if (alive)
        emit closed();
}

} // namespace velcaro
