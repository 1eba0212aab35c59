#pragma once

#include <QList>
#include <QtGlobal>

namespace velcaro::bench {

// The resident memory of process `pid` in kB (VmRSS of /proc/PID/status), or -1 when the
// process is gone or has ended.
qint64 residentKb(qint64 pid);

// The processes `pid` started, and those they started, all the way down.
QList<qint64> descendants(qint64 pid);

} // namespace velcaro::bench
