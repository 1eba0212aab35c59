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

} // namespace velcaro
