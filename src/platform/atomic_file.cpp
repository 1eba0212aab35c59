#include "platform/atomic_file.h"

#include "platform/save_failure.h"

#include <cerrno>

namespace velcaro {

// Unbuffered, so that a short write (a full disk, a file size limit) is seen here: a buffered
// QSaveFile can commit a truncated file as a success.
AtomicFile::AtomicFile(const QString& path) : path_(path), file_(path) {
    errno = 0;
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw saveFailure(path_, errno);
}

void AtomicFile::write(const QByteArray& bytes) {
    qint64 written = 0;
    while (written < bytes.size()) {
        errno = 0;
        const qint64 n = file_.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            const int osError = errno;
            file_.cancelWriting();
            throw saveFailure(path_, osError);
        }
        written += n;
    }
}

void AtomicFile::commit() {
    errno = 0;
    if (!file_.commit())
        throw saveFailure(path_, errno);
}

void writeFileAtomically(const QString& path, const QByteArray& bytes) {
    AtomicFile file(path);
    file.write(bytes);
    file.commit();
}

} // namespace velcaro
