// Memory mapped ahead keeps what is written into it: pages already in use keep their content
// when mapped, records allocated while the heap is mapped on another thread keep theirs, and
// what the heap grew by is given back afterwards.
#include "platform/MemoryAhead.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#include <unistd.h>
#endif

using namespace tsivor::platform;

TEST(MemoryAhead, MappingPagesKeepsTheirContent) {
    std::vector<uint8_t> bytes(3 << 20);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7 + 3);
    // Unaligned, reaching into pages partly used by others.
    MapPagesNow(bytes.data() + 5, bytes.size() - 11);
    for (size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], uint8_t(i * 7 + 3)) << i;
    EXPECT_TRUE(MapPagesNow(bytes.data(), 0));
}

TEST(MemoryAhead, RecordsWrittenWhileTheHeapIsMappedKeepTheirContent) {
    std::vector<std::unique_ptr<uint32_t[]>> records;
    {
        const THeapAhead ahead(size_t(96) << 20);
        for (uint32_t i = 0; i < 400000; ++i) {
            const size_t n = 4 + i % 29;
            records.push_back(std::make_unique<uint32_t[]>(n));
            for (size_t k = 0; k < n; ++k) records.back()[k] = i * 31 + uint32_t(k);
        }
    }
    for (uint32_t i = 0; i < records.size(); ++i)
        for (size_t k = 0; k < 4 + i % 29; ++k) ASSERT_EQ(records[i][k], i * 31 + k) << i;
#ifdef __GLIBC__
    // Afterwards the heap grows by small steps again, and keeps only what the drawing after a
    // load is left.
    records.clear();
    EXPECT_LT(mallinfo2().keepcost, size_t(64) << 20);
    auto* const before = static_cast<char*>(sbrk(0));
    std::vector<std::unique_ptr<char[]>> more;
    while (static_cast<char*>(sbrk(0)) == before && more.size() < 8192)
        more.push_back(std::make_unique<char[]>(32 * 1024));
    EXPECT_LT(static_cast<char*>(sbrk(0)) - before, ptrdiff_t(16) << 20);
#endif
}
