#include <gtest/gtest.h>

#include "net_fixture.h"

namespace dovla::testing {
namespace {

using BusTest = NetFixture;

// Buses meeting end to end form one group and mark the shared ends joined,
// so a tag there names nothing; tags at the free ends are taken.
TEST_F(BusTest, BusesEndToEnd) {
    SheetObject* b1 = bus("B1", 3000, 2500, 3200, 2500);
    SheetObject* b2 = bus("B2", 3200, 2500, 3400, 2500);
    tag("T0", 2960, 2500, "A");
    SheetObject* t = tag("T", 3200, 2500, "C");
    tag("T2", 3400, 2500, "B");
    build();
    EXPECT_EQ(b1->joined1, 0);
    EXPECT_EQ(b1->joined2, 1);
    EXPECT_EQ(b2->joined1, 1);
    EXPECT_EQ(b2->joined2, 0);
    EXPECT_EQ(busGroups(), "[B1 B2 T0 T2]");
    EXPECT_EQ(t->net, noGroup);
    EXPECT_EQ(nets(), "");
}

// Buses of different orientation are not joined by the scan, and a tag (a
// horizontal object) names no vertical bus; an oblique bus is not scanned
// but takes a tag at its end.
TEST_F(BusTest, OrientationDecidesWhichBusesAndTagsJoin) {
    bus("H", 0, 500, 400, 500);
    SheetObject* v = bus("V", 200, 300, 200, 500); // ends on H's inside
    SheetObject* w = bus("W", 400, 500, 400, 700); // ends on H's end
    tag("TV", 200, 300, "V");
    tag("TH", -40, 500, "H");
    bus("O", 600, 500, 700, 600);
    tag("TO", 700, 600, "O");
    build();
    EXPECT_EQ(busGroups(), "[H TH] [O TO]");
    EXPECT_EQ(v->net, noGroup);
    EXPECT_EQ(w->net, noGroup);
    EXPECT_EQ(v->joined2 | w->joined1, 0);
}

TEST_F(BusTest, VerticalBusesJoinEndToEnd) {
    bus("V1", 200, 100, 200, 300);
    bus("V2", 200, 300, 200, 350);
    bus("V3", 200, 340, 200, 500); // starts on V2's inside
    build();
    EXPECT_EQ(busGroups(), "[V1 V2 V3]");
}

// An entry without the wire-entry bit joins every bus that reaches it; a
// wire entry joins only the first bus in object-ring order, and its end on
// the other bus stays free.
struct EntryCase {
    const char* what;
    std::int32_t attr;
    bool verticalFirst;
    const char* groups;
    bool end1Joined, end2Joined;
};

class EntryBetweenBuses : public NetFixture, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(EntryBetweenBuses, Joins) {
    const EntryCase& c = GetParam();
    auto horizontal = [&] { bus("H", 0, 500, 400, 500); };
    auto vertical = [&] { bus("V", 100, 300, 100, 490); };
    if (c.verticalFirst) {
        vertical();
        horizontal();
    } else {
        horizontal();
        vertical();
    }
    SheetObject* e = entry("E", 110, 500, 100, 490, c.attr);
    build();
    EXPECT_EQ(busGroups(), c.groups);
    EXPECT_EQ(e->joined1, c.end1Joined ? 1 : 0);
    EXPECT_EQ(e->joined2, c.end2Joined ? 1 : 0);
    EXPECT_EQ(NetBuilder::isFreeWireEntryEnd(110, 500, e), (c.attr & 2) != 0 && !c.end1Joined);
    EXPECT_EQ(NetBuilder::isFreeWireEntryEnd(100, 490, e), (c.attr & 2) != 0 && !c.end2Joined);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EntryBetweenBuses,
    ::testing::Values(EntryCase{"plain", 0, false, "[H E V]", true, true},
                      EntryCase{"plain_vertical_first", 0, true, "[V E H]", true, true},
                      EntryCase{"plain_other_bits", 0xFD, false, "[H E V]", true, true},
                      EntryCase{"wire_entry", 2, false, "[H E]", true, false},
                      EntryCase{"wire_entry_vertical_first", 2, true, "[V E]", false, true},
                      EntryCase{"wire_entry_all_bits", 0xFF, false, "[H E]", true, false}),
    [](const ::testing::TestParamInfo<EntryCase>& info) { return std::string(info.param.what); });

// The free end of a wire entry between two buses cuts a wire running across
// it; the end joined to a bus does not.
TEST_F(BusTest, WireEntryEndOnTheSecondBusCountsAsFree) {
    bus("B", 0, 300, 400, 300);
    bus("C", 100, 200, 100, 280);
    entry("E", 110, 300, 100, 280, 2);
    wire("H", 50, 280, 150, 280);
    wire("K", 110, 250, 110, 350);
    build();
    ASSERT_EQ(objectCount(), 6u);
    nameObject(objectAt(5), "H'");
    EXPECT_EQ(objects(), "B(0,300-400,300) C(100,200-100,280) E H(50,280-100,280) "
                         "K(110,250-110,350) H'(100,280-150,280)");
    EXPECT_EQ(busGroups(), "[B E]");
    EXPECT_EQ(nets(), "[H H']");
}

// Scan points lie on the step's raster from end 1; the far end is one only
// when the length is a multiple of the step.
struct RasterCase {
    std::int32_t entryX;
    std::int32_t busX2;
    std::int32_t step;
    bool joined;
};

class BusRaster : public NetFixture, public ::testing::WithParamInterface<RasterCase> {};

TEST_P(BusRaster, FindsEntry) {
    const RasterCase& c = GetParam();
    bus("B", 0, 500, c.busX2, 500);
    entry("E", c.entryX, 500, c.entryX + 10, 490, 0);
    build(c.step);
    EXPECT_EQ(busGroups(), c.joined ? "[B E]" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, BusRaster,
    ::testing::Values(RasterCase{15, 400, 10, false}, RasterCase{15, 400, 1, true},
                      RasterCase{0, 400, 10, true}, RasterCase{400, 400, 10, true},
                      RasterCase{405, 405, 10, false}, RasterCase{405, 405, 1, true},
                      RasterCase{400, 405, 10, true}, RasterCase{-10, 405, 1, false},
                      RasterCase{410, 405, 1, false}));

TEST_F(BusTest, VerticalBusRaster) {
    bus("B", 700, 100, 700, 245);
    entry("E", 700, 115, 710, 105, 0);
    entry("F", 700, 140, 710, 130, 0);
    entry("G", 700, 245, 710, 235, 0);
    build();
    EXPECT_EQ(busGroups(), "[B F]");
}

// Stage 3 joins bus groups whose first tags carry equal names, on one sheet
// or across sheets; members of the later group move behind the earlier.
TEST_F(BusTest, EqualTagNamesJoinBusGroupsAcrossSheets) {
    bus("B1", 3000, 2500, 3200, 2500);
    tag("T1", 2960, 2500, "DBUS");
    bus("B2", 6000, 4500, 6200, 4500);
    tag("T2", 6200, 4500, "DBUS");
    bus("B3", 3000, 3000, 3200, 3000);
    tag("T3", 3200, 3000, "DBU");
    bus("B4", 96000, 64500, 96200, 64500);
    tag("T4", 96200, 64500, "DBUS");
    build();
    EXPECT_EQ(busGroups(), "[B1 T1 B2 T2 B4 T4] [] [B3 T3] []");
}

// Only each group's first tag takes part.
TEST_F(BusTest, OnlyTheFirstTagOfAGroupIsCompared) {
    bus("B1", 0, 100, 200, 100);
    tag("X1", -40, 100, "X"); // end 1 is tagged first
    tag("Y1", 200, 100, "Y");
    bus("B2", 0, 300, 200, 300);
    tag("Y2", -40, 300, "Y");
    tag("X2", 200, 300, "X");
    bus("B3", 0, 500, 200, 500);
    tag("Y3", 200, 500, "Y");
    build();
    EXPECT_EQ(busGroups(), "[B1 X1 Y1] [B2 Y2 X2 B3 Y3] []");
}

// Names are compared byte for byte, case and all.
TEST_F(BusTest, TagNamesAreCaseSensitive) {
    bus("B1", 0, 100, 200, 100);
    tag("T1", 200, 100, "Data");
    bus("B2", 0, 300, 200, 300);
    tag("T2", 200, 300, "DATA");
    bus("B3", 0, 500, 200, 500);
    tag("T3", 200, 500, "Data ");
    build();
    EXPECT_EQ(busGroups(), "[B1 T1] [B2 T2] [B3 T3]");
}

// A tag of a bus group that a wire reaches in the end rule brings the wire's
// net into the bus group.
TEST_F(BusTest, TagJoinsAWireNetIntoItsBusGroup) {
    bus("B", 0, 100, 200, 100);
    tag("T", 200, 100, "DATA", 40);
    wire("W", 240, 100, 300, 100);
    labelAt("L", 270, 100, "D");
    build();
    EXPECT_EQ(busGroups(), "[B T W L]");
    EXPECT_EQ(nets(), "[]");
}

// Stage 7: nets whose first tags carry equal names become one.
TEST_F(BusTest, EqualTagNamesJoinNets) {
    wire("W1", 0, 100, 100, 100);
    tag("T1", 100, 100, "CLK");
    wire("W2", 1000, 100, 1100, 100);
    tag("T2", 1100, 100, "RST");
    wire("W3", 6000, 4100, 6100, 4100);
    tag("T3", 6100, 4100, "CLK");
    wire("W4", 0, 300, 100, 300);
    tag("T4", 100, 300, "RST");
    build();
    EXPECT_EQ(nets(), "[W1 T1 W3 T3] [W2 T2 W4 T4] [] []");
}

} // namespace
} // namespace dovla::testing
