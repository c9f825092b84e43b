#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "net_fixture.h"

namespace dovla::testing {
namespace {

struct DirectionCase {
    std::int32_t xa, ya, xb, yb;
    std::int8_t code;
};

class DirectionCodes : public ::testing::TestWithParam<DirectionCase> {};

TEST_P(DirectionCodes, FromAToB) {
    const DirectionCase& c = GetParam();
    EXPECT_EQ(directionCode(c.xa, c.ya, c.xb, c.yb), c.code)
        << "(" << c.xa << "," << c.ya << ") toward (" << c.xb << "," << c.yb << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Table, DirectionCodes,
    ::testing::Values(DirectionCase{0, 0, 0, 0, DirPoint}, DirectionCase{0, 0, 10, 0, DirRight},
                      DirectionCase{0, 0, 0, 10, DirDown}, DirectionCase{0, 0, 10, 10, DirOblique},
                      DirectionCase{10, 0, 0, 0, DirLeft}, DirectionCase{0, 10, 0, 0, DirUp},
                      DirectionCase{0, 0, 10, -10, DirOblique},
                      // Signed comparisons, also far from the origin.
                      DirectionCase{0, 0, -1, 0, DirLeft}, DirectionCase{0, 5, 0, -7, DirUp},
                      DirectionCase{-5, -5, -5, 20, DirDown},
                      DirectionCase{0, 0, INT_MIN, 0, DirLeft},
                      DirectionCase{INT_MIN, 0, INT_MAX, 0, DirRight},
                      DirectionCase{96500, 64500, 96500, 64500, DirPoint}));

using ObjectStoreTest = NetFixture;

TEST_F(ObjectStoreTest, TwoEndedObjectGetsBothCodesAndAnEnd2Node) {
    SheetObject* w = wire("W", 3100, 2100, 3100, 2300);
    EXPECT_EQ(w->dir1, DirDown);
    EXPECT_EQ(w->dir2, DirUp);
    EXPECT_TRUE(w->hasEnd2);
    ASSERT_NE(w->node2, PointGrid::none);
    EXPECT_EQ(&store.object(store.grid().node(w->node2).object), w);
    EXPECT_EQ(w->net, noGroup);
    EXPECT_EQ(w->joined1 | w->joined2, 0);
    EXPECT_EQ(at(3100, 2100), "W");
    EXPECT_EQ(at(3100, 2300), "W");
    EXPECT_EQ(at(3100, 2200), "");
}

TEST_F(ObjectStoreTest, JunctionHasOnlyEnd1) {
    SheetObject* j = junction("J", 3100, 2100);
    EXPECT_EQ(j->dir1, DirPoint);
    EXPECT_EQ(j->dir2, DirOblique);
    EXPECT_EQ(j->node2, PointGrid::none);
    EXPECT_EQ(j->x2, -3100);
    EXPECT_EQ(j->y2, -2100);
    EXPECT_EQ(at(3100, 2100), "J");
    EXPECT_EQ(at(-3100, -2100), "");
    EXPECT_EQ(at(3101, 2100), "");
}

TEST_F(ObjectStoreTest, PinPointsTowardItsRoot) {
    SheetObject* left = pin("P", 200, 100, 210, 100);
    SheetObject* up = pin("Q", 200, 100, 200, 90);
    EXPECT_EQ(left->dir1, DirRight);
    EXPECT_EQ(up->dir1, DirUp);
    EXPECT_EQ(at(200, 100), "P Q");
    EXPECT_EQ(at(210, 100), "");
}

// A one-ended object is found at its end 1 only, whatever the sign of the
// stored second point: here that point lies in the same cell, on x = 0 and
// left of it.
TEST_F(ObjectStoreTest, OneEndedObjectIsNeverFoundAtItsSecondPoint) {
    add("L", Label, 0, 10, 10, 20, 20, SecondEnd::Absent, "A");
    add("J0", Junction, 0, 0, 0, 0, 0, SecondEnd::Absent);
    add("P", Pin, 0, -30, 20, 30, 0, SecondEnd::Absent, "U1");
    junction("K", 30, 0);
    EXPECT_EQ(at(10, 10), "L");
    EXPECT_EQ(at(20, 20), "");
    EXPECT_EQ(at(0, 0), "J0"); // once: its second point coincides with end 1
    EXPECT_EQ(at(-30, 20), "P");
    EXPECT_EQ(at(30, 0), "K");
}

// x2 = 0 is an ordinary end 2 at x 0.
TEST_F(ObjectStoreTest, EndAtXZeroIsAnEnd2) {
    SheetObject* e = entry("E", 60, 20, 0, 10, 0);
    SheetObject* w = wire("W", 0, 0, 0, 100);
    EXPECT_EQ(e->dir2, DirOblique);
    EXPECT_NE(e->node2, PointGrid::none);
    EXPECT_EQ(at(0, 10), "E");
    EXPECT_EQ(at(0, 100), "W");
    EXPECT_EQ(w->dir2, DirUp);
}

// Within a cell, objects come in the order their ends were registered (end
// 2 before end 1 of each object); an object with both ends in the cell
// comes twice at either end; objects of the cell that have no end at the
// point are passed over.
TEST_F(ObjectStoreTest, SearchFollowsRegistrationOrderWithinACell) {
    junction("K", 3040, 2040);
    wire("A", 3000, 2000, 3200, 2000);
    wire("B", 2900, 2000, 3000, 2000);
    labelAt("L", 3000, 2000, "N");
    wire("C", 3000, 2000, 3000, 2030);
    wire("D", 3000, 2000, 3020, 2000);
    EXPECT_EQ(at(3000, 2000), "A B L C C D D");
    EXPECT_EQ(at(3000, 2030), "C C");
    EXPECT_EQ(at(3020, 2000), "D D");
    EXPECT_EQ(at(3010, 2000), "");
    EXPECT_EQ(at(3040, 2040), "K");
    EXPECT_EQ(at(3200, 2000), "A");
    EXPECT_EQ(at(2900, 2000), "B");
}

// Negative coordinates, the 32nd sheet's area beyond the plane and points
// on either side of the plane's edges are held and found like any other,
// and neighbouring cells across an edge stay apart.
TEST_F(ObjectStoreTest, PointsOutsideThePlaneAreFoundLikeAnyOther) {
    const std::int32_t points[][2] = {{-3000, -2000}, {-1, -1},       {-49, 0},
                                      {-50, 0},       {0, -50},       {95999, 63999},
                                      {96000, 64000}, {96049, 100},   {100, 64049},
                                      {97500, 65000}, {98999, 65999}, {-32768, 32767}};
    int n = 0;
    for (const auto& p : points)
        junction("J" + std::to_string(n++), p[0], p[1]);
    wire("W", 96500, 64500, 96700, 64500);
    wire("V", -200, -100, -200, 0);
    n = 0;
    for (const auto& p : points)
        EXPECT_EQ(at(p[0], p[1]), "J" + std::to_string(n++)) << p[0] << "," << p[1];
    EXPECT_EQ(at(96500, 64500), "W");
    EXPECT_EQ(at(96700, 64500), "W");
    EXPECT_EQ(at(-200, -100), "V");
    EXPECT_EQ(at(-200, 0), "V");
    EXPECT_EQ(at(1, 1), "");
    EXPECT_EQ(at(49, 0), "");
    EXPECT_EQ(at(3000, 2000), "");
}

TEST_F(ObjectStoreTest, NamesAndTextsAreCutTo79Characters) {
    std::string longName(100, 'n');
    std::string longText(100, 't');
    SheetObject* a = add("A", Label, 0, 10, 10, -10, -10, SecondEnd::Absent, longName.c_str());
    SheetObject* b = add("B", Pin, 0, 20, 10, -30, -10, SecondEnd::Absent, "U7", longText.c_str());
    EXPECT_EQ(std::string(store.text(a->name)), longName.substr(0, 79));
    EXPECT_EQ(std::string(store.text(a->text)), longName.substr(0, 79));
    EXPECT_STREQ(store.text(b->name), "U7");
    EXPECT_EQ(std::string(store.text(b->text)), longText.substr(0, 79));
    SheetObject* c =
        add("C", Tag, 0, 0, 0, 40, 0, SecondEnd::Present, std::string(79, 'x').c_str());
    EXPECT_EQ(std::strlen(store.text(c->name)), 79u);
}

// Texts are numbered by their chunk and their place in it: many texts, of
// every length, over several chunks, each read back by its number, and the
// empty text shared by all that have none.
TEST_F(ObjectStoreTest, EveryTextIsReadBackByItsNumber) {
    std::vector<std::pair<const SheetObject*, std::string>> made;
    for (int i = 0; i < 6000; ++i) {
        std::string name = std::to_string(i) + std::string(i % 80, 'a' + i % 26);
        std::string text = i % 3 == 0 ? "" : "T" + name;
        const SheetObject& pin =
            *store.addObject(Pin, 0, i, 0, -i, -10, SecondEnd::Absent, name.c_str(), text.c_str());
        made.emplace_back(&pin, name);
        ASSERT_EQ(store.text(pin.text), text.substr(0, 79)) << i;
        EXPECT_EQ(pin.text == 0, text.empty()) << i;
    }
    for (const auto& [object, name] : made)
        ASSERT_EQ(store.text(object->name), name.substr(0, 79));
}

} // namespace
} // namespace dovla::testing
