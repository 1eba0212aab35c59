#pragma once

#include <QByteArray>
#include <QString>

namespace velcaro {

// A file that records are appended to, one write each, so that every record is in the file
// as soon as it is written. The file is created when missing and never opened through a
// symbolic link.
class RecordFile {
public:
    RecordFile() = default;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile();

    // Why the file cannot be opened, in Italian, or an empty text.
    QString open(const QString& path);
    // Throws VelcaroError when the record cannot be written whole; returns the file's size
    // with the record in it.
    qint64 append(const QByteArray& record);

private:
    QString path_;
    int fd_ = -1;
};

} // namespace velcaro
