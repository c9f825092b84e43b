#include <gtest/gtest.h>

#include <string>

#include "driver/alloc_pool.h"
#include "library/part_instances.h"

namespace dovla {
namespace {

std::string numbered(const char* prefix, int i) {
    return prefix + std::to_string(i);
}

// Past 50 and 100 instances the table grows by 50 entries at a time and
// every earlier entry keeps its place and its contents.
TEST(PartInstanceTable, GrowsInStepsOfFiftyAndKeepsItsEntries) {
    AllocPool pool;
    PartInstanceTable table(pool);
    EXPECT_EQ(table.count(), 0u);
    EXPECT_EQ(table.capacity(), 0u);
    const int total = 151;
    for (int i = 0; i < total; ++i) {
        table.addPartInstance(8, 10 * i, -i, numbered("U", i).c_str(), i % 8, i % 4,
                              numbered("SHOWN", i).c_str(), numbered("LIBRARY", i).c_str());
        EXPECT_EQ(table.capacity(), (i / 50 + 1) * 50u) << i;
    }
    ASSERT_EQ(table.count(), static_cast<std::uint32_t>(total));
    EXPECT_EQ(pool.blockCount(), 1u); // one contiguous array
    for (int i = 0; i < total; ++i) {
        SCOPED_TRACE(i);
        const PartInstance& entry = table[i];
        EXPECT_EQ(entry.kind, 8);
        EXPECT_EQ(entry.x, 10 * i);
        EXPECT_EQ(entry.y, -i);
        EXPECT_EQ(std::string(entry.ref), numbered("U", i));
        EXPECT_EQ(entry.dir, i % 8);
        EXPECT_EQ(entry.block, i % 4);
        EXPECT_EQ(std::string(entry.name), numbered("SHOWN", i));
        EXPECT_EQ(std::string(entry.libName), numbered("LIBRARY", i));
        EXPECT_EQ(entry.libPart, nullptr);
    }
}

TEST(PartInstanceTable, HoldsTextsThatFillTheirFields) {
    AllocPool pool;
    PartInstanceTable table(pool);
    table.addPartInstance(8, 0, 0, "ABCDEFG", 0, 0, "", "123456789012345");
    table.addPartInstance(8, 0, 0, "", 0, 0, "123456789012345", "X");
    EXPECT_STREQ(table[0].ref, "ABCDEFG");
    EXPECT_STREQ(table[0].name, "");
    EXPECT_STREQ(table[0].libName, "123456789012345");
    EXPECT_STREQ(table[1].ref, "");
    EXPECT_STREQ(table[1].name, "123456789012345");
    EXPECT_STREQ(table[1].libName, "X");
}

TEST(PartInstanceTable, ResetEmptiesTheTableAndGivesItsArrayBack) {
    AllocPool pool;
    PartInstanceTable table(pool);
    for (int i = 0; i < 60; ++i)
        table.addPartInstance(8, i, 0, "", 0, 0, "", "A");
    table.resetPartInstances();
    EXPECT_EQ(table.count(), 0u);
    EXPECT_EQ(table.capacity(), 0u);
    EXPECT_EQ(table.begin(), table.end());
    EXPECT_EQ(pool.blockCount(), 0u);
    table.addPartInstance(8, 7, 0, "", 0, 0, "", "B");
    ASSERT_EQ(table.count(), 1u);
    EXPECT_EQ(table.capacity(), 50u);
    EXPECT_EQ(table[0].x, 7);
    EXPECT_STREQ(table[0].libName, "B");
}

} // namespace
} // namespace dovla
