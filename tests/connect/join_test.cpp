#include <gtest/gtest.h>

#include "net_fixture.h"

namespace dovla::testing {
namespace {

class JoinObjectsTest : public NetFixture {
  protected:
    JoinObjectsTest() : builder(store, excluded, 10) {
        a = labelAt("A", 10, 10, "A");
        b = labelAt("B", 20, 10, "B");
        c = labelAt("C", 30, 10, "C");
        d = labelAt("D", 40, 10, "D");
        e = labelAt("E", 50, 10, "E");
    }
    void join(SheetObject* x, SheetObject* y) { builder.joinObjects(store.nets(), x, y); }

    NetBuilder builder;
    SheetObject *a, *b, *c, *d, *e;
};

TEST_F(JoinObjectsTest, TwoLooseObjectsMakeAGroupInTheListPassed) {
    builder.joinObjects(store.busGroups(), a, b);
    EXPECT_EQ(busGroups(), "[A B]");
    EXPECT_EQ(nets(), "");
    EXPECT_EQ(a->net, b->net);
    EXPECT_EQ(store.busGroups().idOf(0), a->net);
}

// The moved group follows the taking group's members in its own order; the
// emptied group stays in its list.
TEST_F(JoinObjectsTest, MergeMovesTheGroupOfBBehindTheGroupOfA) {
    join(a, b);
    join(c, d);
    join(c, a);
    EXPECT_EQ(nets(), "[] [C D A B]");
    EXPECT_EQ(a->net, c->net);
    EXPECT_EQ(b->net, c->net);
}

TEST_F(JoinObjectsTest, MergeTheOtherWayRound) {
    join(a, b);
    join(c, d);
    join(a, c);
    EXPECT_EQ(nets(), "[A B C D] []");
    EXPECT_EQ(d->net, a->net);
}

TEST_F(JoinObjectsTest, LooseObjectJoinsTheOthersGroupAtItsEnd) {
    join(a, b);
    join(e, a); // only b's side has a group
    join(b, c); // only a's side has a group
    EXPECT_EQ(nets(), "[A B E C]");
    join(c, e); // one group already
    join(a, a);
    EXPECT_EQ(nets(), "[A B E C]");
}

// Which list is passed matters only when a group is created: a loose object
// joined to a member of a net goes into that net whatever the list.
TEST_F(JoinObjectsTest, RingOnlyMattersForANewGroup) {
    builder.joinObjects(store.busGroups(), a, b);
    join(c, a);
    builder.joinObjects(store.nets(), d, e);
    builder.joinObjects(store.busGroups(), d, a);
    EXPECT_EQ(busGroups(), "[]");
    EXPECT_EQ(nets(), "[D E A B C]");
}

TEST_F(JoinObjectsTest, EmptiedGroupsStayInTheirListThroughChainsOfMerges) {
    join(a, b);
    join(c, d);
    builder.joinObjects(store.busGroups(), e, labelAt("F", 60, 10, "F"));
    join(d, e); // a bus group merged into a net
    join(b, c);
    EXPECT_EQ(nets(), "[A B C D E F] []");
    EXPECT_EQ(busGroups(), "[]");
}

} // namespace
} // namespace dovla::testing
