// The figures a tool prints of its own process: the memory it holds grows when it takes memory
// and uses it, and the peak follows.
#include "platform/ProcessUsage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace tsivor::platform;

TEST(ProcessUsage, ResidentMemoryAndThePeakGrowWithWhatIsUsed) {
    const qint64 before = ResidentMemoryKb();
    ASSERT_GT(before, 0);
    constexpr size_t kBytes = 64 << 20;
    auto block = std::make_unique<char[]>(kBytes);
    std::memset(block.get(), 1, kBytes); // touched, so resident
    const qint64 grown = qint64(kBytes / 1024) * 9 / 10;
    EXPECT_GE(ResidentMemoryKb() - before, grown);
    EXPECT_GE(PeakMemoryKb() - before, grown);
    EXPECT_GE(SystemLoad(), 0.0);
}
