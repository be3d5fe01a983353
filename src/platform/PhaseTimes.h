#pragma once
// TPhaseTimes: wall and processor time of the named phases of one run, each phase measured from
// the end of the one before; the start-up figures of "tsivor --timing".

#include <QString>

#include <vector>

namespace tsivor::platform {

class TPhaseTimes {
public:
    struct TPhase {
        QString Name;
        double WallMs = 0;
        double CpuMs = 0; // all threads of the process
    };

    TPhaseTimes(); // the first phase starts here

    // Ends the running phase under name; the next one starts.
    void Mark(const QString& name);

    const std::vector<TPhase>& Phases() const { return FPhases; }
    // Wall time from the start of the process to this object's creation: loading the program
    // and its libraries; 0 where the system does not tell.
    double BeforeStartMs() const { return FBeforeStartMs; }
    // One line a phase, then the sum from process start.
    QString Report() const;

private:
    double FBeforeStartMs = 0;
    double FBeforeStartCpuMs = 0;
    double FWallMs = 0; // at the last mark
    double FCpuMs = 0;
    std::vector<TPhase> FPhases;
};

// Marks the end of a phase where the times are taken; nothing when times is null.
inline void MarkPhase(TPhaseTimes* times, const char* name) {
    if (times) times->Mark(QString::fromLatin1(name));
}

} // namespace tsivor::platform
