#include "platform/record_file.h"

#include "platform/save_failure.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace velcaro {

RecordFile::~RecordFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

QString RecordFile::open(const QString& path) {
    path_ = path;
    fd_ = ::open(QFile::encodeName(path).constData(),
                 O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ >= 0)
        return {};
    if (errno == ELOOP)
        return linkRefused(path).description();
    return saveFailure(path, errno).description();
}

qint64 RecordFile::append(const QByteArray& record) {
    if (const int failure = writeAll(fd_, record))
        throw saveFailure(path_, failure);
    // On the disk before the journal says the page is done; a pipe or a device has no disk.
    if (::fdatasync(fd_) != 0 && errno != EINVAL)
        throw saveFailure(path_, errno);
    // Each appending write leaves the offset at the end of what it wrote.
    return ::lseek(fd_, 0, SEEK_CUR);
}

} // namespace velcaro
