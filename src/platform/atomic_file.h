#pragma once

#include <QSaveFile>
#include <QString>

namespace velcaro {

// A file written through a temporary file that replaces `path` only on commit, so that a
// failed or abandoned write leaves an existing file as it was and nothing behind. Every
// failure throws VelcaroError naming the cause and the path.
class AtomicFile {
public:
    // Opens the temporary file at once, so that an unwritable place is reported before any
    // work is spent on the content.
    explicit AtomicFile(const QString& path);

    void write(const QByteArray& bytes);
    void commit();

private:
    QString path_;
    QSaveFile file_;
};

// The whole of `bytes` as the new content of `path`.
void writeFileAtomically(const QString& path, const QByteArray& bytes);

// The whole of `bytes` as the file `path`, whose name is never followed: a symbolic link
// there, even one pointing nowhere, or anything but a plain file, is refused, and the final
// name is taken by an operation that does not follow links. The bytes go first to a file with
// no name in the same folder, which takes `path` only once complete, so a run killed meanwhile
// leaves nothing behind. An existing file is replaced only when `replace` is true. The file
// and its name are on the disk when it returns.
void writeOwnFile(const QString& path, const QByteArray& bytes, bool replace);
// writeOwnFile replacing `path` with a file that only its owner may read and write (0600),
// whatever the umask.
void writePrivateFile(const QString& path, const QByteArray& bytes);
// Throws the reason writeOwnFile would refuse `path` with before writing anything.
void checkOwnFile(const QString& path, bool replace);

} // namespace velcaro
