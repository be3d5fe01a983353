#include "platform/HugePageHeap.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace tsivor::platform {

namespace {

constexpr const char* kTunables = "GLIBC_TUNABLES";
constexpr const char* kHugePages = "glibc.malloc.hugetlb=1";
// Set for the second start: "-" when the first had no tunables, else "=" and the first's.
constexpr const char* kRestarted = "TSIVOR_HEAP_RESTARTED";

} // namespace

std::optional<std::string> TunablesAskingHugePages(const char* tunables) {
    const std::string current = tunables ? tunables : "";
    if (current.find("glibc.malloc.hugetlb=") != std::string::npos) return std::nullopt;
    return current.empty() ? std::string(kHugePages) : current + ":" + kHugePages;
}

bool HugePagesOnRequest(const std::string& mode) {
    return mode.find("[madvise]") != std::string::npos;
}

void RestartWithHugePageHeap(char** argv) {
    if (const char* restarted = std::getenv(kRestarted)) {
        // Programs started from here get the environment the user gave.
        if (restarted[0] == '=')
            setenv(kTunables, restarted + 1, 1);
        else
            unsetenv(kTunables);
        unsetenv(kRestarted);
        return;
    }
    std::ifstream modeFile("/sys/kernel/mm/transparent_hugepage/enabled");
    const std::string mode((std::istreambuf_iterator<char>(modeFile)),
                           std::istreambuf_iterator<char>());
    if (!HugePagesOnRequest(mode)) return;
    const char* before = std::getenv(kTunables);
    const auto tunables = TunablesAskingHugePages(before);
    if (!tunables) return;
    const std::string marker = before ? std::string("=") + before : std::string("-");
    setenv(kRestarted, marker.c_str(), 1);
    setenv(kTunables, tunables->c_str(), 1);
    execv("/proc/self/exe", argv);
    // Not started again: go on with the heap as it is.
    if (before)
        setenv(kTunables, before, 1);
    else
        unsetenv(kTunables);
    unsetenv(kRestarted);
}

} // namespace tsivor::platform
