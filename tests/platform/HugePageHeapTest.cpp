// Whether the program starts again with a heap in huge pages: only when the kernel gives them
// on request, and without losing the allocator settings the user gave.
#include "platform/HugePageHeap.h"

#include <gtest/gtest.h>

using namespace tsivor::platform;

TEST(HugePageHeap, AsksOnceAndKeepsTheUsersSettings) {
    EXPECT_EQ(TunablesAskingHugePages(nullptr), "glibc.malloc.hugetlb=1");
    EXPECT_EQ(TunablesAskingHugePages(""), "glibc.malloc.hugetlb=1");
    EXPECT_EQ(TunablesAskingHugePages("glibc.malloc.check=3"),
              "glibc.malloc.check=3:glibc.malloc.hugetlb=1");
    // Whatever the user chose for huge pages, even none, stands.
    EXPECT_EQ(TunablesAskingHugePages("glibc.malloc.hugetlb=0"), std::nullopt);
    EXPECT_EQ(TunablesAskingHugePages("a=1:glibc.malloc.hugetlb=2"), std::nullopt);
}

TEST(HugePageHeap, OnlyAKernelGivingThemOnRequestIsAsked) {
    EXPECT_TRUE(HugePagesOnRequest("always [madvise] never\n"));
    // Given unasked, the heap has them already; never given, a second start is lost time.
    EXPECT_FALSE(HugePagesOnRequest("[always] madvise never\n"));
    EXPECT_FALSE(HugePagesOnRequest("always madvise [never]\n"));
    EXPECT_FALSE(HugePagesOnRequest(""));
}
