#pragma once
// Memory mapped by the kernel in one call rather than one trap per page on first write. Where
// each trap is costly (as in virtual machines), the traps of a large map's first touch of its
// memory are most of its load time; asked ahead, and on another thread, they are not.

#include <atomic>
#include <cstddef>
#include <thread>

namespace tsivor::platform {

// Has the kernel map the pages of [data, data + size) now, for writing; their content stays.
// False where it cannot (an older kernel): the pages are then mapped as they are first written.
bool MapPagesNow(void* data, size_t size);

// While it lives, the heap holds at least bytes more beyond what is in use, mapped by another
// thread from the lowest address up, ahead of the small records written into it; afterwards
// what is left unused is given back. Where the allocator does not allow it, nothing is done.
class THeapAhead {
public:
    explicit THeapAhead(size_t bytes);
    ~THeapAhead();
    THeapAhead(const THeapAhead&) = delete;
    THeapAhead& operator=(const THeapAhead&) = delete;

private:
    std::atomic<bool> FStop{false};
    std::thread FMapper;
    bool FGrown = false;
};

} // namespace tsivor::platform
