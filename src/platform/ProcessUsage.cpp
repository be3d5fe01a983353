#include "platform/ProcessUsage.h"

#include <malloc.h>
#include <sys/resource.h>

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

void ReturnFreeMemory() {
    malloc_trim(0);
}

} // namespace tsivor::platform
