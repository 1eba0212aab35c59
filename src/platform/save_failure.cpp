#include "platform/save_failure.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace velcaro {

VelcaroError saveFailure(const QString& path, int osError) {
    const QFileInfo info(path);
    const QString where = QDir::toNativeSeparators(path);
    if (path.isEmpty() || info.fileName().isEmpty())
        return {error::kBadFileName, QStringLiteral("Nome di file non valido: \"%1\".").arg(where)};
    if (info.isDir())
        return {error::kPathAccess,
                QStringLiteral("Impossibile salvare: al percorso c'è una cartella: %1").arg(where)};
    if (!info.dir().exists())
        return {error::kPathNotFound,
                QStringLiteral("Impossibile salvare: la cartella non esiste: %1").arg(where)};
    if (osError == EACCES || osError == EPERM || osError == EROFS)
        return {error::kPermissionDenied,
                QStringLiteral("Impossibile salvare: permesso negato: %1").arg(where)};
    if (osError == ENOSPC || osError == EDQUOT || osError == EFBIG)
        return {error::kDiskFull,
                QStringLiteral("Impossibile salvare: disco pieno: %1").arg(where)};
    return {error::kPathAccess, QStringLiteral("Impossibile salvare il file %1: %2")
                                    .arg(where, QString::fromLocal8Bit(std::strerror(osError)))};
}

VelcaroError linkRefused(const QString& path) {
    return {error::kPathAccess, QStringLiteral("%1 è un collegamento simbolico: non viene seguito")
                                    .arg(QDir::toNativeSeparators(path))};
}

int writeAll(int fd, const QByteArray& bytes) {
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n =
            ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        written += n;
    }
    return 0;
}

} // namespace velcaro
