#pragma once
// The heap in huge pages where the kernel gives them on request. A large map is a million small
// records; where every first touch of a 4 KiB page is a costly trap (as in virtual machines),
// those traps are most of its load time. The C library's allocator asks for huge pages only
// when told so as the process starts.

#include <optional>
#include <string>

namespace tsivor::platform {

// Starts the program again in place, its allocator told to ask for huge pages, unless it was
// told already, the kernel gives them only unasked or never, or this is the second start.
// Returns only when the program goes on as it is; the second start sees the environment of
// the first.
void RestartWithHugePageHeap(char** argv);

// The allocator's settings (GLIBC_TUNABLES, nullptr when unset) with huge pages asked for, or
// nullopt when they ask for them already.
std::optional<std::string> TunablesAskingHugePages(const char* tunables);

// Whether the kernel's huge page mode (the text of its "enabled" setting, the chosen one in
// brackets) gives them to memory that asks.
bool HugePagesOnRequest(const std::string& mode);

} // namespace tsivor::platform
