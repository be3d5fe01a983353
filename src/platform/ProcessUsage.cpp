#include "platform/ProcessUsage.h"

#include <QFile>
#include <QList>

#include <cstdlib>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tsivor::platform {
namespace {

rusage Usage() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u;
}

qint64 Ms(const timeval& t) {
    return qint64(t.tv_sec) * 1000 + t.tv_usec / 1000;
}

} // namespace

qint64 ProcessCpuMs() {
    const rusage u = Usage();
    return Ms(u.ru_utime) + Ms(u.ru_stime);
}

qint64 PeakMemoryKb() {
    return Usage().ru_maxrss; // kilobytes on Linux
}

qint64 ResidentMemoryKb() {
    // statm: total and resident size in pages.
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

double SystemLoad() {
    double load = 0;
    return getloadavg(&load, 1) == 1 ? load : 0;
}

void ReturnFreeMemory() {
    malloc_trim(0);
}

} // namespace tsivor::platform
