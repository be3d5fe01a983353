#include "platform/MemoryAhead.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tsivor::platform {

namespace {

constexpr size_t kPiece = size_t(8) << 20;      // mapped at a time, so that a stop is heard soon
constexpr size_t kTopPad = 128 * 1024;          // the allocator's own default
constexpr size_t kKeptAfter = size_t(32) << 20; // left for the drawing that follows a load
constexpr size_t kMaxPad = size_t(1) << 30;
// Below the smallest size the allocator maps apart.
constexpr size_t kProbe = 64 * 1024;

size_t PageSize() {
    static const size_t size = size_t(sysconf(_SC_PAGESIZE));
    return size;
}

} // namespace

bool MapPagesNow(void* data, size_t size) {
#ifdef MADV_POPULATE_WRITE
    const size_t page = PageSize();
    const auto from = reinterpret_cast<uintptr_t>(data) / page * page;
    const auto to = reinterpret_cast<uintptr_t>(data) + size;
    return size == 0 || madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE) == 0;
#else
    (void)data;
    (void)size;
    return false;
#endif
}

THeapAhead::THeapAhead(size_t bytes) {
#if defined(__GLIBC__) && defined(MADV_POPULATE_WRITE)
    // The allocator grows its heap by its top pad beyond what a request lacks, and keeps that
    // much when it gives memory back. The pad is asked of every growth while it stands: never
    // so much that the heap could not grow by it on a small machine. Only the main thread's
    // heap grows by the break.
    const size_t memory = size_t(sysconf(_SC_PHYS_PAGES)) * PageSize();
    const size_t pad = std::min({bytes, memory / 4, kMaxPad});
    if (gettid() != getpid() || mallopt(M_TOP_PAD, int(pad)) == 0) return;
    FGrown = true;
    // Requests below any size the allocator maps apart are taken from the top until it grows,
    // then handed back.
    auto* const before = static_cast<char*>(sbrk(0));
    if (before == reinterpret_cast<char*>(-1)) return;
    std::vector<void*> taken;
    const size_t probes = mallinfo2().keepcost / kProbe + 2;
    while (sbrk(0) == before && taken.size() < probes) {
        void* p = malloc(kProbe);
        if (!p) break;
        taken.push_back(p);
    }
    for (auto it = taken.rbegin(); it != taken.rend(); ++it) free(*it);
    auto* const after = static_cast<char*>(sbrk(0));
    if (after <= before) {
        // Not grown, not asked again.
        mallopt(M_TOP_PAD, int(kTopPad));
        FGrown = false;
        return;
    }
    try {
        FMapper = std::thread([this, before, after] {
            for (char* at = before; at < after && !FStop.load(std::memory_order_relaxed);
                 at += kPiece)
                if (!MapPagesNow(at, size_t(std::min<ptrdiff_t>(kPiece, after - at)))) return;
        });
    } catch (const std::system_error&) {
        // Without a thread the pages are mapped as they are written.
    }
#else
    (void)bytes;
#endif
}

THeapAhead::~THeapAhead() {
    FStop = true;
    if (FMapper.joinable()) FMapper.join();
#ifdef __GLIBC__
    if (FGrown) {
        mallopt(M_TOP_PAD, int(kTopPad));
        malloc_trim(kKeptAfter);
    }
#endif
}

} // namespace tsivor::platform
