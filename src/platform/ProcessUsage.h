#pragma once
// What this process has used so far, for tools that print their own figures.

#include <QtGlobal>

namespace tsivor::platform {

// Processor time of all the process's threads, in milliseconds.
qint64 ProcessCpuMs();
// The most memory the process has held at once (peak resident set), in kilobytes.
qint64 PeakMemoryKb();
// The memory the process holds now (resident set), in kilobytes; 0 when it cannot be told.
qint64 ResidentMemoryKb();
// The system's load average over the last minute: how many processes wanted the processors.
double SystemLoad();
// Gives the memory freed so far back to the system, also what other threads had taken, so the
// next stage of a long job does not stand on top of the last one's leftovers.
void ReturnFreeMemory();

} // namespace tsivor::platform
