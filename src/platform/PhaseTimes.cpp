#include "platform/PhaseTimes.h"

#include <QFile>

#include <algorithm>
#include <ctime>
#include <unistd.h>

namespace tsivor::platform {
namespace {

double ClockMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The process's start in milliseconds of CLOCK_BOOTTIME (field 22 of /proc/self/stat, in clock
// ticks since boot); negative when unknown.
double ProcessStartBootMs() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray line = stat.readAll();
    // The command name in parentheses may hold spaces; the fields counted start after it.
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0) return -1;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    constexpr int kStartTime = 22 - 3; // fields 1 and 2 are before the cut
    bool ok = false;
    const double ticks = fields.value(kStartTime).toDouble(&ok);
    const long hz = sysconf(_SC_CLK_TCK);
    return ok && hz > 0 ? ticks * 1e3 / double(hz) : -1;
}

} // namespace

TPhaseTimes::TPhaseTimes()
    : FWallMs(ClockMs(CLOCK_MONOTONIC)), FCpuMs(ClockMs(CLOCK_PROCESS_CPUTIME_ID)) {
    const double start = ProcessStartBootMs();
    FBeforeStartCpuMs = FCpuMs;
    if (start >= 0) FBeforeStartMs = std::max(0.0, ClockMs(CLOCK_BOOTTIME) - start);
}

void TPhaseTimes::Mark(const QString& name) {
    const double wall = ClockMs(CLOCK_MONOTONIC);
    const double cpu = ClockMs(CLOCK_PROCESS_CPUTIME_ID);
    FPhases.push_back({name, wall - FWallMs, cpu - FCpuMs});
    FWallMs = wall;
    FCpuMs = cpu;
}

QString TPhaseTimes::Report() const {
    QString out = QStringLiteral("%1 %2 %3\n")
                      .arg(QStringLiteral("phase"), -40)
                      .arg(QStringLiteral("wall ms"), 9)
                      .arg(QStringLiteral("cpu ms"), 9);
    const auto line = [&out](const QString& name, double wall, double cpu) {
        out += QStringLiteral("%1 %2 %3\n").arg(name, -40).arg(wall, 9, 'f', 1).arg(cpu, 9, 'f', 1);
    };
    line(QStringLiteral("before main (exec, libraries)"), FBeforeStartMs, FBeforeStartCpuMs);
    double wall = FBeforeStartMs, cpu = FBeforeStartCpuMs;
    for (const TPhase& p : FPhases) {
        line(p.Name, p.WallMs, p.CpuMs);
        wall += p.WallMs;
        cpu += p.CpuMs;
    }
    line(QStringLiteral("total from process start"), wall, cpu);
    return out;
}

} // namespace tsivor::platform
