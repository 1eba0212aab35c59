#include "platform/atomic_file.h"

#include "platform/save_failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// The file being written: its descriptor, and its name when it has one; closed, and the name
// removed, when it goes.
struct WorkFile {
    int fd = -1;
    QByteArray name;
    ~WorkFile() {
        if (fd >= 0)
            ::close(fd);
        if (!name.isEmpty())
            ::unlink(name.constData());
    }
};

VelcaroError refused(const QString& path, const QString& why) {
    return {error::kPathAccess, why.arg(QDir::toNativeSeparators(path))};
}

VelcaroError alreadyThere(const QString& path) {
    return refused(path, QStringLiteral("il file %1 esiste già (--force per sostituirlo)"));
}

// The folder's entries on the disk, the new name included: a journal line written after
// says the page is done, and must not outlive its file in a power cut.
void syncFolder(const QByteArray& folder, const QString& path) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int failure = fd < 0 ? errno : ::fsync(fd) == 0 ? 0 : errno;
    if (fd >= 0)
        ::close(fd);
    if (failure != 0)
        throw saveFailure(path, failure);
}

// writeOwnFile, the new file made with `mode` as the umask leaves it, or with exactly `mode`
// when `exact`.
void writeOwn(const QString& path, const QByteArray& bytes, bool replace, mode_t mode, bool exact) {
    checkOwnFile(path, replace);
    const QByteArray name = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    WorkFile file;
    file.fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (file.fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR)) {
        // A file system without unnamed files: a hidden one, removed at the end.
        QByteArray temp = folder + "/.velcaro-XXXXXX";
        file.fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (file.fd >= 0)
            file.name = temp;
    }
    // The mode given to open passes through the umask, and a hidden file is made 0600.
    if (file.fd < 0 || (exact && ::fchmod(file.fd, mode) != 0))
        throw saveFailure(path, errno);
    if (const int failure = writeAll(file.fd, bytes))
        throw saveFailure(path, failure);
    if (::fdatasync(file.fd) != 0)
        throw saveFailure(path, errno);
    // linkat never follows nor replaces what is at the new name.
    const QByteArray source =
        file.name.isEmpty() ? "/proc/self/fd/" + QByteArray::number(file.fd) : file.name;
    const QByteArray linked =
        replace
            ? name + ".velcaro-" + QByteArray::number(QRandomGenerator::global()->generate(), 16)
            : name;
    if (::linkat(AT_FDCWD, source.constData(), AT_FDCWD, linked.constData(), AT_SYMLINK_FOLLOW) !=
        0) {
        if (errno == EEXIST && !replace)
            throw alreadyThere(path);
        throw saveFailure(path, errno);
    }
    // rename replaces the entry at `path`, a link put there meanwhile included, never its target.
    if (replace && ::rename(linked.constData(), name.constData()) != 0) {
        const int osError = errno;
        ::unlink(linked.constData());
        throw saveFailure(path, osError);
    }
    syncFolder(folder, path);
}

} // namespace

void checkOwnFile(const QString& path, bool replace) {
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::lstat(name.constData(), &status) == 0) {
        if (S_ISLNK(status.st_mode))
            throw linkRefused(path);
        if (!S_ISREG(status.st_mode))
            throw refused(path, QStringLiteral("%1 c'è già e non è un file"));
        if (!replace)
            throw alreadyThere(path);
    }
}

void writeOwnFile(const QString& path, const QByteArray& bytes, bool replace) {
    writeOwn(path, bytes, replace, 0666, false);
}

void writePrivateFile(const QString& path, const QByteArray& bytes) {
    writeOwn(path, bytes, true, S_IRUSR | S_IWUSR, true);
}

} // namespace velcaro
