#pragma once

#include "platform/velcaro_error.h"

#include <QString>

namespace velcaro {

// The error to report when writing `path` failed, naming the cause (a missing folder, no
// permission, a full disk, a folder in the way) and the path. `osError` is the errno seen.
VelcaroError saveFailure(const QString& path, int osError);

} // namespace velcaro
