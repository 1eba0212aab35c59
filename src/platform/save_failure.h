#pragma once

#include "platform/velcaro_error.h"

#include <QString>

namespace velcaro {

// The error to report when writing `path` failed, naming the cause (a missing folder, no
// permission, a full disk, a folder in the way) and the path. `osError` is the errno seen.
VelcaroError saveFailure(const QString& path, int osError);

// The error for an output path that is a symbolic link: it is never followed.
VelcaroError linkRefused(const QString& path);

// Writes all of `bytes` to `fd`, through interruptions and partial writes: 0, or the errno of
// the write that failed (ENOSPC for one that wrote nothing).
int writeAll(int fd, const QByteArray& bytes);

} // namespace velcaro
