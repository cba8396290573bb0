// Peak resident memory of the running benchmark, for its counters.
#pragma once

#include <QByteArray>
#include <QFile>

namespace benchmemory {

// The process's peak resident set (VmHWM) in megabytes, or 0 where it cannot be read.
inline double peakResidentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

} // namespace benchmemory
