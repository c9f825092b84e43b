#include <gtest/gtest.h>

#include <cstring>

#include "driver/alloc_pool.h"

namespace dovla {
namespace {

TEST(AllocPool, ListsWhatItHandsOutUntilGivenBack) {
    AllocPool pool;
    void* a = pool.allocate(16);
    void* b = pool.allocate(0); // zero-length tables are valid
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(pool.blockCount(), 2u);
    pool.release(a);
    EXPECT_FALSE(pool.holds(a));
    EXPECT_TRUE(pool.holds(b));
    EXPECT_EQ(pool.blockCount(), 1u);
    pool.releaseAll();
    EXPECT_EQ(pool.blockCount(), 0u);
    // A pool emptied once can be used again.
    EXPECT_NE(pool.allocate(8), nullptr);
}

TEST(AllocPool, ReallocateKeepsContentsAndListsOnlyTheNewAddress) {
    AllocPool pool;
    auto* first = static_cast<char*>(pool.reallocate(nullptr, 8));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(pool.holds(first));
    std::memcpy(first, "abcdefg", 8);
    auto* grown = static_cast<char*>(pool.reallocate(first, 1 << 20));
    ASSERT_NE(grown, nullptr);
    EXPECT_STREQ(grown, "abcdefg");
    EXPECT_EQ(pool.blockCount(), 1u);
    EXPECT_TRUE(pool.holds(grown));
}

TEST(AllocPool, FailedRequestsReturnNothingAndKeepTheOldBlock) {
    AllocPool pool;
    void* block = pool.allocate(32);
    EXPECT_EQ(pool.allocate(static_cast<std::size_t>(-1)), nullptr);
    EXPECT_EQ(pool.reallocate(block, static_cast<std::size_t>(-1)), nullptr);
    EXPECT_TRUE(pool.holds(block));
    EXPECT_EQ(pool.blockCount(), 1u);
}

TEST(AllocPool, ZeroedBlocksReadAsZero) {
    AllocPool pool;
    auto* bytes = static_cast<unsigned char*>(pool.allocateZeroed(4096));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
}

} // namespace
} // namespace dovla

namespace dovla {
namespace {

TEST(AllocPool, SmallBlocksGivenBackAreHandedOutAgain) {
    AllocPool pool;
    void* first = pool.allocate(24);
    void* other = pool.allocate(24);
    pool.release(first);
    EXPECT_FALSE(pool.holds(first));
    EXPECT_TRUE(pool.holds(other));
    void* again = pool.allocateZeroed(24);
    EXPECT_EQ(again, first);
    EXPECT_TRUE(pool.holds(again));
    auto* bytes = static_cast<unsigned char*>(again);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(bytes[i], 0);
    // Shrinking a large block into a small one keeps what fits.
    auto* large = static_cast<char*>(pool.allocate(1000));
    std::memcpy(large, "kept", 5);
    auto* small = static_cast<char*>(pool.reallocate(large, 16));
    EXPECT_STREQ(small, "kept");
    EXPECT_EQ(pool.blockCount(), 3u);
}

// About 16 MB of small blocks: past the first, small slabs into the big ones.
TEST(AllocPool, ManySmallBlocksSpanSlabsAndAllGoAtOnce) {
    AllocPool pool;
    void* first = nullptr;
    void* last = nullptr;
    for (int i = 0; i < 100000; ++i) {
        last = pool.allocate(static_cast<std::size_t>(i % 300));
        ASSERT_NE(last, nullptr);
        std::memset(last, 0xA5, static_cast<std::size_t>(i % 300));
        if (i == 0)
            first = last;
    }
    EXPECT_EQ(pool.blockCount(), 100000u);
    EXPECT_TRUE(pool.holds(first));
    EXPECT_TRUE(pool.holds(last));
    pool.release(last);
    EXPECT_FALSE(pool.holds(last));
    EXPECT_EQ(pool.allocate(99999 % 300), last);
    pool.releaseAll();
    EXPECT_EQ(pool.blockCount(), 0u);
}

} // namespace
} // namespace dovla
