#include "MemoryUse.h"

#include <QByteArray>
#include <QFile>

namespace {

qint64 statusField(const QByteArray& name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = name + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        // "VmRSS:\t  123456 kB"
        bool ok = false;
        const qint64 kilobytes = line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong(&ok);
        return ok ? kilobytes * 1024 : -1;
    }
    return -1;
}

} // namespace

namespace MemoryUse {

qint64 resident()
{
    return statusField("VmRSS");
}

qint64 residentPeak()
{
    return statusField("VmHWM");
}

} // namespace MemoryUse
