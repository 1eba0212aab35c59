#include "platform/record_file.h"

#include "platform/save_failure.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
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
        return QStringLiteral("%1 è un collegamento simbolico: non viene seguito")
            .arg(QDir::toNativeSeparators(path));
    return saveFailure(path, errno).description();
}

void RecordFile::append(const QByteArray& record) {
    for (qsizetype written = 0; written < record.size();) {
        const ssize_t n = ::write(fd_, record.constData() + written,
                                  static_cast<size_t>(record.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw saveFailure(path_, n < 0 ? errno : ENOSPC);
        written += n;
    }
}

} // namespace velcaro
