#include "process_memory.h"

#include <QDir>
#include <QFile>
#include <QMultiHash>
#include <algorithm>

namespace velcaro::bench {
namespace {

QByteArray readProcFile(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The parent of `pid`, from /proc/PID/stat: the fourth field, after the name in parentheses
// (which may hold spaces and parentheses itself); -1 when the process is gone.
qint64 parentOf(qint64 pid) {
    const QByteArray stat = readProcFile(pid, "stat");
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : -1;
}

} // namespace

qint64 residentKb(qint64 pid) {
    for (const QByteArray& line : readProcFile(pid, "status").split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

qint64 proportionalKb(qint64 pid) {
    for (const QByteArray& line : readProcFile(pid, "smaps_rollup").split('\n'))
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').first().toLongLong();
    return -1;
}

QList<qint64> descendants(qint64 pid) {
    QMultiHash<qint64, qint64> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool isPid = false;
        const qint64 child = entry.toLongLong(&isPid);
        if (isPid)
            children.insert(parentOf(child), child);
    }
    QList<qint64> found = children.values(pid);
    for (qsizetype i = 0; i < found.size(); ++i)
        found += children.values(found[i]);
    return found;
}

TreeMemoryPeak::TreeMemoryPeak() {
    timer_.setInterval(kSampleMs);
    connect(&timer_, &QTimer::timeout, this, &TreeMemoryPeak::sample);
}

void TreeMemoryPeak::start(qint64 pid) {
    pid_ = pid;
    peakKb_ = 0;
    timer_.start();
    sample();
}

void TreeMemoryPeak::stop() {
    timer_.stop();
}

void TreeMemoryPeak::sample() {
    qint64 total = std::max<qint64>(0, proportionalKb(pid_));
    for (const qint64 child : descendants(pid_))
        total += std::max<qint64>(0, proportionalKb(child));
    peakKb_ = std::max(peakKb_, total);
}

} // namespace velcaro::bench
