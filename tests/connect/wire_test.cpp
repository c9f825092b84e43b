#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "net_fixture.h"

namespace dovla::testing {
namespace {

class WireTest : public NetFixture {
  protected:
    // Names the object at a position of the ring: a piece a split appended.
    SheetObject* piece(std::size_t index, const std::string& label) {
        SheetObject* object = objectAt(index);
        EXPECT_NE(object, nullptr);
        if (object != nullptr)
            nameObject(object, label);
        return object;
    }
};

// A branch off a labelled wire: the label joins on the scan, the branch
// point cuts the wire, and at the cut the junction lets W1 join W2 and W3 in
// the order of the point's cell ring.
TEST_F(WireTest, BranchWithJunctionAndLabel) {
    wire("W1", 3100, 2100, 3300, 2100);
    SheetObject* w2 = wire("W2", 3200, 2100, 3200, 2300);
    junction("J", 3200, 2100);
    labelAt("L", 3150, 2100, "N");
    build();
    ASSERT_EQ(objectCount(), 5u);
    piece(4, "W3");
    EXPECT_EQ(objects(), "W1(3100,2100-3200,2100) W2(3200,2100-3200,2300) J L "
                         "W3(3200,2100-3300,2100)");
    EXPECT_EQ(nets(), "[W1 L W2 W3]");
    // The cut wire's end 2 moved to the end of the point's cell ring.
    EXPECT_EQ(at(3200, 2100), "W2 J W1 W3");
    EXPECT_EQ(at(3300, 2100), "W3");
    EXPECT_EQ(w2->net, objectAt(0)->net);
    EXPECT_EQ(busGroups(), "");
}

// Without the junction W1 is still cut, but joins only the piece of its own
// orientation.
TEST_F(WireTest, BranchWithLabelWithoutJunction) {
    wire("W1", 3100, 2100, 3300, 2100);
    SheetObject* w2 = wire("W2", 3200, 2100, 3200, 2300);
    labelAt("L", 3150, 2100, "N");
    build();
    ASSERT_EQ(objectCount(), 4u);
    piece(3, "W3");
    EXPECT_EQ(objects(), "W1(3100,2100-3200,2100) W2(3200,2100-3200,2300) L "
                         "W3(3200,2100-3300,2100)");
    EXPECT_EQ(nets(), "[W1 L W3]");
    EXPECT_EQ(w2->net, noGroup);
}

TEST_F(WireTest, WiresMeetingEndToEndFormOneNet) {
    wire("A", 0, 0, 100, 0);
    wire("B", 100, 0, 200, 0);   // straight on
    wire("C", 200, 0, 200, 100); // at a corner
    build();
    EXPECT_EQ(nets(), "[A B C]");
    EXPECT_EQ(objectCount(), 3u);
}

// A vertical wire ending on the inside of a horizontal one cuts it; only a
// junction brings the vertical wire into the pieces' net, since the pieces
// meet it with the codes 0 and 2 and its orientation differs.
TEST_F(WireTest, TJunctionWithoutJunction) {
    wire("H", 0, 100, 200, 100);
    SheetObject* v = wire("V", 100, 0, 100, 100);
    build();
    ASSERT_EQ(objectCount(), 3u);
    piece(2, "H'");
    EXPECT_EQ(objects(), "H(0,100-100,100) V(100,0-100,100) H'(100,100-200,100)");
    EXPECT_EQ(nets(), "[H H']");
    EXPECT_EQ(v->net, noGroup);
}

TEST_F(WireTest, TJunctionWithJunction) {
    wire("H", 0, 100, 200, 100);
    wire("V", 100, 0, 100, 100);
    junction("J", 100, 100);
    build();
    ASSERT_EQ(objectCount(), 4u);
    piece(3, "H'");
    EXPECT_EQ(objects(), "H(0,100-100,100) V(100,0-100,100) J H'(100,100-200,100)");
    EXPECT_EQ(nets(), "[H V H']");
}

// Of one wire, end 2 is joined before end 1.
TEST_F(WireTest, EndTwoIsJoinedBeforeEndOne) {
    wire("W", 100, 0, 200, 0);
    wire("A", 0, 0, 100, 0);
    wire("B", 200, 0, 300, 0);
    build();
    EXPECT_EQ(nets(), "[W B A]");
}

// A tag's end on the inside of a wire cuts it, and the tag joins the pieces.
TEST_F(WireTest, TagCutsAWire) {
    wire("V", 100, 0, 100, 200);
    tag("T", 100, 100, "CLK");
    build();
    ASSERT_EQ(objectCount(), 3u);
    piece(2, "V'");
    EXPECT_EQ(objects(), "V(100,0-100,100) T V'(100,100-100,200)");
    EXPECT_EQ(nets(), "[V T V']");
}

// Tags are not counted among the ends that meet at a point: at this corner
// each wire sees one other wire end, and so joins it.
TEST_F(WireTest, TagAtACornerIsNotCounted) {
    wire("H", 0, 100, 100, 100);
    wire("V", 100, 0, 100, 100);
    tag("T", 100, 100, "CLK");
    build();
    EXPECT_EQ(nets(), "[H V T]");
}

// The cut wire's old end-2 node leaves its cell: here the old and the new
// end 2 share a cell, and the wire is met once per remaining node.
TEST_F(WireTest, SplitMovesTheEnd2NodeWithinOneCell) {
    wire("W", 0, 0, 40, 0);
    junction("J", 20, 0);
    build();
    ASSERT_EQ(objectCount(), 3u);
    piece(2, "W'");
    EXPECT_EQ(at(20, 0), "W J W W' W'");
    EXPECT_EQ(at(40, 0), "W' W'");
    EXPECT_EQ(at(0, 0), "W W");
}

TEST_F(WireTest, CrossingWithoutJunctionIsNeitherCutNorJoined) {
    wire("H", 0, 100, 200, 100);
    wire("V", 100, 0, 100, 200);
    build();
    EXPECT_EQ(objects(), "H(0,100-200,100) V(100,0-100,200)");
    EXPECT_EQ(nets(), "");
}

TEST_F(WireTest, JunctionOnACrossingCutsBothAndJoinsAllFourPieces) {
    wire("H", 0, 100, 200, 100);
    wire("V", 100, 0, 100, 200);
    junction("J", 100, 100);
    build();
    ASSERT_EQ(objectCount(), 5u);
    piece(3, "H'");
    piece(4, "V'");
    EXPECT_EQ(objects(), "H(0,100-100,100) V(100,0-100,100) J H'(100,100-200,100) "
                         "V'(100,100-100,200)");
    EXPECT_EQ(nets(), "[H H' V V']");
}

// A pin end on the inside of a wire always cuts it; it joins the pieces
// when a junction is there or when it has the wire's orientation. At a wire
// end a pin joins whatever its direction.
struct PinOnWireCase {
    const char* what;
    bool verticalWire;
    std::int32_t rootDx, rootDy; // from the pin end toward its root
    bool junction;
    bool atEnd;
    const char* nets;
};

class PinOnWire : public NetFixture, public ::testing::WithParamInterface<PinOnWireCase> {};

TEST_P(PinOnWire, Joins) {
    const PinOnWireCase& c = GetParam();
    std::int32_t length = c.atEnd ? 100 : 200;
    if (c.verticalWire)
        wire("W", 100, 0, 100, length);
    else
        wire("W", 0, 100, length, 100);
    pin("P", 100, 100, 100 + c.rootDx, 100 + c.rootDy);
    if (c.junction)
        junction("J", 100, 100);
    build();
    if (!c.atEnd) {
        ASSERT_EQ(objectCount(), c.junction ? 4u : 3u);
        nameObject(objectAt(objectCount() - 1), "W'");
    } else {
        EXPECT_EQ(objectCount(), c.junction ? 3u : 2u);
    }
    EXPECT_EQ(nets(), c.nets);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PinOnWire,
    ::testing::Values(
        PinOnWireCase{"horizontal wire, pin across", false, 0, 10, false, false, "[W W']"},
        PinOnWireCase{"horizontal wire, pin across, up", false, 0, -10, false, false, "[W W']"},
        PinOnWireCase{"horizontal wire, pin along", false, -10, 0, false, false, "[W P W']"},
        PinOnWireCase{"horizontal wire, pin across, junction", false, 0, 10, true, false,
                      "[W P W']"},
        PinOnWireCase{"horizontal wire, pin across at its end", false, 0, 10, false, true, "[W P]"},
        PinOnWireCase{"vertical wire, pin across", true, 10, 0, false, false, "[W W']"},
        PinOnWireCase{"vertical wire, pin along", true, 0, -10, false, false, "[W P W']"},
        PinOnWireCase{"vertical wire, pin across, junction", true, -10, 0, true, false, "[W P W']"},
        PinOnWireCase{"vertical wire, pin across at its end", true, 10, 0, false, true, "[W P]"}),
    [](const ::testing::TestParamInfo<PinOnWireCase>& info) {
        std::string name;
        for (const char* s = info.param.what; *s != '\0'; ++s)
            name += (std::isalnum(static_cast<unsigned char>(*s)) ? *s : '_');
        return name;
    });

TEST_F(WireTest, PinsAtRightAnglesJoinOnlyTheirOwnOrientation) {
    pin("P1", 300, 300, 290, 300); // code 2
    pin("P2", 300, 300, 310, 300); // code 0
    pin("P3", 300, 300, 300, 310); // code 1
    pin("Q1", 500, 300, 500, 290);
    pin("Q2", 500, 300, 510, 300); // two touching pins join whatever their directions
    build();
    EXPECT_EQ(nets(), "[P1 P2] [Q1 Q2]");
}

// The label test at an interior point of a wire: bit 3 says which
// orientation the label belongs to, and only raster points of the step are
// visited.
struct LabelCase {
    bool verticalWire;
    std::int32_t offset;
    std::int32_t attr;
    std::int32_t step;
    bool joined;
};

class LabelOnWire : public NetFixture, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(LabelOnWire, Joins) {
    const LabelCase& c = GetParam();
    SheetObject* w =
        c.verticalWire ? wire("W", 1000, 100, 1000, 300) : wire("W", 1000, 100, 1200, 100);
    if (c.verticalWire)
        labelAt("L", 1000, 100 + c.offset, "N", c.attr);
    else
        labelAt("L", 1000 + c.offset, 100, "N", c.attr);
    build(c.step);
    EXPECT_EQ(nets(), c.joined ? "[W L]" : "");
    EXPECT_EQ(objectCount(), 2u) << "a label never cuts";
    EXPECT_EQ(w->x2, c.verticalWire ? 1000 : 1200);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LabelOnWire,
    ::testing::Values(LabelCase{false, 20, 0, 10, true}, LabelCase{false, 20, 8, 10, false},
                      LabelCase{false, 25, 0, 10, false}, LabelCase{false, 25, 0, 1, true},
                      LabelCase{false, 25, 8, 1, false}, LabelCase{false, 20, 0, 1, true},
                      LabelCase{false, 20, 0xF7, 10, true}, LabelCase{false, 20, 0xFF, 10, false},
                      LabelCase{true, 20, 8, 10, true}, LabelCase{true, 20, 0, 10, false},
                      LabelCase{true, 25, 8, 10, false}, LabelCase{true, 25, 8, 1, true},
                      LabelCase{true, 25, 0, 1, false}, LabelCase{true, 20, 0xFF, 1, true}));

// At a wire end the label is taken in the end rule, by the same test.
struct LabelAtEndCase {
    bool verticalWire;
    bool atEnd2;
    std::int32_t attr;
    bool joined;
};

class LabelAtWireEnd : public NetFixture, public ::testing::WithParamInterface<LabelAtEndCase> {};

TEST_P(LabelAtWireEnd, Joins) {
    const LabelAtEndCase& c = GetParam();
    if (c.verticalWire) {
        wire("W", 1000, 100, 1000, 300);
        labelAt("L", 1000, c.atEnd2 ? 300 : 100, "N", c.attr);
    } else {
        wire("W", 1000, 100, 1200, 100);
        labelAt("L", c.atEnd2 ? 1200 : 1000, 100, "N", c.attr);
    }
    build();
    EXPECT_EQ(nets(), c.joined ? "[W L]" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, LabelAtWireEnd,
    ::testing::Values(LabelAtEndCase{false, true, 0, true}, LabelAtEndCase{false, false, 0, true},
                      LabelAtEndCase{false, true, 8, false}, LabelAtEndCase{true, true, 8, true},
                      LabelAtEndCase{true, false, 8, true}, LabelAtEndCase{true, false, 0, false}));

// A wire entry's free end on the inside of a wire cuts it, so that the entry
// is later found at a wire end; an end joined to a bus, and an entry without
// the wire-entry bit, do not cut.
TEST_F(WireTest, FreeWireEntryEndsCutWires) {
    bus("B", 0, 300, 400, 300);
    entry("E", 100, 300, 110, 290, 2); // end 1 on the bus, end 2 free
    entry("F", 300, 250, 310, 240, 2); // on no bus: both ends free
    entry("G", 200, 290, 210, 280, 0); // no wire-entry bit
    wire("H", 0, 290, 250, 290);       // passes E's end 2 and G's end 1
    wire("V", 100, 250, 100, 350);     // passes E's end 1, joined to the bus
    wire("K", 300, 200, 300, 260);     // passes F's end 1
    build();
    nameObject(objectAt(7), "H'");
    nameObject(objectAt(8), "K'");
    EXPECT_EQ(objects(), "B(0,300-400,300) E F G H(0,290-110,290) V(100,250-100,350) "
                         "K(300,200-300,250) H'(110,290-250,290) K'(300,250-300,260)");
    EXPECT_EQ(busGroups(), "[B E]");
    EXPECT_EQ(nets(), "[H H'] [K K']");
}

// A zero-length wire is left out of the scan but joins at its point; it
// does cut a wire whose inside it lies on.
TEST_F(WireTest, ZeroLengthWires) {
    wire("W", 400, 500, 500, 500);
    wire("Z", 500, 500, 500, 500);
    wire("X", 700, 500, 900, 500);
    wire("Y", 800, 500, 800, 500);
    build();
    ASSERT_EQ(objectCount(), 5u);
    nameObject(objectAt(4), "X'");
    EXPECT_EQ(objects(), "W(400,500-500,500) Z(500,500-500,500) X(700,500-800,500) "
                         "Y(800,500-800,500) X'(800,500-900,500)");
    EXPECT_EQ(nets(), "[W Z] [X Y X']");
}

// Only wires whose dir1 has bit 1 clear are scanned: a wire given right to
// left or bottom to top is never cut.
TEST_F(WireTest, ReversedWiresAreNotScanned) {
    wire("H", 200, 100, 0, 100);
    wire("V", 300, 200, 300, 0);
    wire("A", 100, 100, 100, 150);
    wire("B", 300, 100, 350, 100);
    junction("J", 100, 100);
    junction("K", 300, 100);
    build();
    EXPECT_EQ(objectCount(), 6u);
    EXPECT_EQ(nets(), "");
}

// An oblique wire is not scanned, though it takes part in the end rule.
TEST_F(WireTest, ObliqueWireJoinsAtItsEndsOnly) {
    wire("D", 0, 0, 100, 100);
    wire("A", 50, 50, 50, 80);
    wire("B", 100, 100, 200, 100);
    build();
    EXPECT_EQ(objectCount(), 3u);
    EXPECT_EQ(nets(), "[D B]");
}

// After a cut the piece is scanned from the cut point on the same raster,
// so a second object further along cuts it again.
TEST_F(WireTest, PiecesAreScannedAgain) {
    wire("W", 0, 0, 300, 0);
    junction("J1", 100, 0);
    junction("J2", 200, 0);
    labelAt("L", 250, 0, "N");
    build();
    ASSERT_EQ(objectCount(), 6u);
    nameObject(objectAt(4), "W'");
    nameObject(objectAt(5), "W''");
    EXPECT_EQ(objects(), "W(0,0-100,0) J1 J2 L W'(100,0-200,0) W''(200,0-300,0)");
    // The label found the last piece first; the end rule then merged that
    // net into the one made at the first cut.
    EXPECT_EQ(nets(), "[] [W W' W'' L]");
}

// Cells beyond the plane, and wires running across its edges, are scanned
// and cut like any other.
class WireAcrossEdges : public NetFixture, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(WireAcrossEdges, TJunctionWithJunction) {
    const std::int32_t x0 = GetParam();
    const std::int32_t y0 = x0 * 2 / 3;
    wire("H", x0 - 100, y0, x0 + 100, y0);
    wire("V", x0, y0 - 70, x0, y0);
    junction("J", x0, y0);
    labelAt("L", x0 - 60, y0, "N");
    build();
    ASSERT_EQ(objectCount(), 5u);
    nameObject(objectAt(4), "H'");
    EXPECT_EQ(nets(), "[H L V H']");
}

INSTANTIATE_TEST_SUITE_P(Offsets, WireAcrossEdges,
                         ::testing::Values(3000, 0, -30, -3000, 95990, 96000, 97530, 30010));

} // namespace
} // namespace dovla::testing
