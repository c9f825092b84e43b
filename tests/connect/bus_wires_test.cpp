#include <gtest/gtest.h>

#include <string>

#include "net_fixture.h"

namespace dovla::testing {
namespace {

// One bus with wires reaching it through wire entries: a bus from (x, y)
// 800 units to the right, and entries whose bus end lies on it at x + 100,
// x + 300, ..., each with a vertical wire coming down to its free end.
class BusWiresTest : public NetFixture {
  protected:
    void busAt(const std::string& label, std::int32_t x, std::int32_t y) {
        bus(label, x, y, x + 800, y);
        busX_ = x;
        busY_ = y;
    }
    // The n-th entry (from 0) and its wire, which carries a label of the
    // given name 100 units above its end (none when name is nullptr).
    SheetObject* branch(int n, const char* name, std::int32_t entryAttr = 2) {
        std::string id = std::to_string(n);
        std::int32_t x = busX_ + 100 + 200 * n;
        entry("E" + id, x, busY_, x + 10, busY_ - 10, entryAttr);
        SheetObject* w = wire("W" + id, x + 10, busY_ - 200, x + 10, busY_ - 10);
        if (name != nullptr)
            labelAt("L" + id, x + 10, busY_ - 100, name, verticalLabelBit);
        return w;
    }

    std::int32_t busX_ = 0;
    std::int32_t busY_ = 0;
};

TEST_F(BusWiresTest, TwoEntriesEqualNamesJoin) {
    bus("B", 3100, 2500, 3600, 2500);
    SheetObject* e1 = entry("E1", 3200, 2500, 3210, 2490, 2);
    SheetObject* e2 = entry("E2", 3400, 2500, 3410, 2490, 2);
    wire("Wa", 3210, 2300, 3210, 2490);
    wire("Wb", 3410, 2300, 3410, 2490);
    labelAt("La", 3210, 2400, "D0", 8);
    labelAt("Lb", 3410, 2400, "D0", 8);
    build();
    EXPECT_EQ(busGroups(), "[B E1 E2]");
    EXPECT_EQ(e1->joined1 + e2->joined1, 2);
    EXPECT_EQ(e1->joined2 + e2->joined2, 0);
    EXPECT_EQ(nets(), "[Wa La Wb Lb] []");
}

TEST_F(BusWiresTest, TwoEntriesDifferentNamesStayApart) {
    bus("B", 3100, 2500, 3600, 2500);
    entry("E1", 3200, 2500, 3210, 2490, 2);
    entry("E2", 3400, 2500, 3410, 2490, 2);
    wire("Wa", 3210, 2300, 3210, 2490);
    wire("Wb", 3410, 2300, 3410, 2490);
    labelAt("La", 3210, 2400, "D0", 8);
    labelAt("Lb", 3410, 2400, "D1", 8);
    build();
    EXPECT_EQ(busGroups(), "[B E1 E2]");
    EXPECT_EQ(nets(), "[Wa La] [Wb Lb]");
}

// Entries without the wire-entry bit join the bus but link no wires.
TEST_F(BusWiresTest, PlainEntriesLinkNoWires) {
    busAt("B", 3100, 2500);
    branch(0, "D0", 0);
    branch(1, "D0", 0);
    build();
    EXPECT_EQ(busGroups(), "[B E0 E1]");
    EXPECT_EQ(nets(), "[W0 L0] [W1 L1]");
}

// Buses of two sheets joined by a tag name carry the wires' names across:
// both tag names and wire names must agree.
struct SheetsCase {
    const char* tag2;
    const char* label2;
    const char* nets;
};

class BusWiresAcrossSheets : public BusWiresTest,
                             public ::testing::WithParamInterface<SheetsCase> {};

TEST_P(BusWiresAcrossSheets, Join) {
    const SheetsCase& c = GetParam();
    busAt("B1", 3100, 2500);
    tag("T1", 3900, 2500, "DBUS");
    branch(0, "D0");
    busAt("B2", 6100, 4500);
    tag("T2", 6900, 4500, c.tag2);
    // Sheet 2's wire is numbered 1 to keep the labels apart.
    busX_ -= 200;
    branch(1, c.label2);
    build();
    EXPECT_EQ(nets(), c.nets);
}

INSTANTIATE_TEST_SUITE_P(Table, BusWiresAcrossSheets,
                         ::testing::Values(SheetsCase{"DBUS", "D0", "[W0 L0 W1 L1] []"},
                                           SheetsCase{"DBUS", "D1", "[W0 L0] [W1 L1]"},
                                           SheetsCase{"ABUS", "D0", "[W0 L0] [W1 L1]"}));

TEST_F(BusWiresTest, TagsJoinedBusesMakeOneGroup) {
    busAt("B1", 3100, 2500);
    tag("T1", 3900, 2500, "DBUS");
    branch(0, "D0");
    busAt("B2", 6100, 4500);
    tag("T2", 6900, 4500, "DBUS");
    busX_ -= 200;
    branch(1, "D0");
    build();
    EXPECT_EQ(busGroups(), "[B1 E0 T1 B2 E1 T2] []");
}

// A net without a label or tag is passed over, and does not keep the named
// nets on either side of it apart.
TEST_F(BusWiresTest, UnnamedNetIsNotJoined) {
    busAt("B", 3100, 2500);
    branch(0, "D0");
    SheetObject* w1 = branch(1, nullptr);
    branch(2, "D0");
    wire("X", w1->x1 - 100, w1->y1 - 100, w1->x1, w1->y1); // gives W1 a net
    build();
    EXPECT_EQ(nets(), "[W0 L0 W2 L2] [] [W1 X]");
}

// Only the first named member of each net counts.
TEST_F(BusWiresTest, OnlyTheFirstLabelIsCompared) {
    busAt("B", 3100, 2500);
    SheetObject* w0 = branch(0, "D0");
    labelAt("A", w0->x1, w0->y1 + 50, "A", verticalLabelBit); // found before D0
    branch(1, "D0");
    SheetObject* w2 = branch(2, "D0");
    labelAt("Z", w2->x1, w2->y1 + 150, "A", verticalLabelBit); // found after D0
    build();
    EXPECT_EQ(nets(), "[W0 A L0] [W1 L1 W2 L2 Z] []");
}

// A tag names a net for the bus just as a label does.
TEST_F(BusWiresTest, TagNamesANetToo) {
    busAt("B", 3100, 2500);
    SheetObject* w0 = branch(0, nullptr);
    tag("T", w0->x1, w0->y1, "D0");
    branch(1, "D0");
    build();
    EXPECT_EQ(nets(), "[W1 L1 W0 T] []");
}

// A wire that ends on the bus end of an entry is recorded too.
TEST_F(BusWiresTest, EntryReachedAtItsBusEnd) {
    busAt("B", 3100, 2500);
    entry("E0", 3200, 2500, 3210, 2490, 2);
    wire("W0", 3200, 2500, 3200, 2700);
    labelAt("L0", 3200, 2600, "D0", verticalLabelBit);
    branch(1, "D0");
    build();
    EXPECT_EQ(busGroups(), "[B E0 E1]");
    EXPECT_EQ(nets(), "[W0 L0 W1 L1] []");
}

// A pin whose end lies on a wire entry's free end brings its net to the bus.
TEST_F(BusWiresTest, PinOnAnEntryCarriesItsNet) {
    busAt("B", 3100, 2500);
    branch(0, "D0");
    entry("E1", 3400, 2500, 3410, 2490, 2);
    pin("P", 3410, 2490, 3410, 2480, "U5");
    labelAt("L1", 3410, 2490, "D0", verticalLabelBit);
    build();
    EXPECT_EQ(nets(), "[W0 L0 P L1] []");
}

// Nets are joined through the buses before equal tag names are compared:
// W1's net goes by its label D0 at the bus, and then by its tag X.
TEST_F(BusWiresTest, BusJoinsComeBeforeTagNames) {
    busAt("B", 3100, 2500);
    branch(0, "D0");
    wire("Wc", 5000, 2000, 5100, 2000);
    labelAt("Lc", 5050, 2000, "Q");
    tag("Tc", 5100, 2000, "X");
    SheetObject* w1 = branch(1, "D0");
    tag("T1", w1->x1, w1->y1, "X");
    build();
    EXPECT_EQ(nets(), "[W0 L0 W1 L1 T1 Wc Lc Tc] [] []");
}

// A net that reaches the bus at two entries is recorded twice; it then
// goes by its first label, whichever entry it came through.
TEST_F(BusWiresTest, NetRecordedSeveralTimes) {
    busAt("B", 3100, 2500);
    SheetObject* w0 = branch(0, "D0");
    SheetObject* w1 = branch(1, "D1");
    branch(2, "D0");
    branch(3, "D1");
    // The end rule moves W0's net into W1's, so the joined net is named D1.
    wire("X", w0->x1, w0->y1, w1->x1, w1->y1);
    build();
    EXPECT_EQ(nets(), "[] [W1 L1 W0 L0 X W3 L3] [W2 L2] []");
}

} // namespace
} // namespace dovla::testing
