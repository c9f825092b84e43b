#include <gtest/gtest.h>

#include "net_fixture.h"

namespace dovla::testing {
namespace {

using PowerPinsTest = NetFixture;

// Pins of one excluded name form one net wherever they are, touching
// nothing; other names, and an excluded name met once, join nothing.
TEST_F(PowerPinsTest, ExcludedNamesJoinAcrossSheets) {
    pin("G1", 3100, 2100, 3100, 2110, "GND");
    pin("V1", 3200, 2100, 3200, 2090, "VCC5");
    pin("G2", 6100, 4100, 6110, 4100, "GND");
    pin("U1a", 6200, 4100, 6200, 4110, "U1");
    pin("U1b", 9200, 6100, 9200, 6110, "U1");
    pin("G3", 96100, 64100, 96100, 64110, "GND");
    pin("V2", -100, -100, -100, -110, "VCC5");
    pin("A", 3300, 2100, 3300, 2110, "GNDA");
    pin("g", 3400, 2100, 3400, 2110, "gnd");
    pin("h", 3500, 2100, 3500, 2110, "gnd");
    pin("G4", 3600, 2100, 3600, 2110, "GND ");
    build();
    EXPECT_EQ(nets(), "[G1 G2 G3] [V1 V2]");
}

TEST_F(PowerPinsTest, WithoutImplicitNamesOnlyListedNamesJoin) {
    excluded.setImplicitPowerNames(false);
    excluded.addExcludedName("VCC");
    pin("G1", 100, 100, 100, 110, "GND");
    pin("G2", 200, 100, 200, 110, "GND");
    pin("V1", 300, 100, 300, 110, "VCC");
    pin("W1", 400, 100, 400, 110, "VCC1");
    pin("V2", 500, 100, 500, 110, "VCC");
    pin("W2", 600, 100, 600, 110, "VCC1");
    build();
    EXPECT_EQ(nets(), "[V1 V2]");
}

// Joining a pin with a pin of another net moves the later pin's net behind
// the earlier's.
TEST_F(PowerPinsTest, NetsOfPowerPinsMerge) {
    wire("W1", 0, 100, 100, 100);
    pin("V1", 100, 100, 110, 100, "VCC");
    wire("W2", 1000, 100, 1100, 100);
    pin("V2", 1100, 100, 1110, 100, "VCC");
    build();
    EXPECT_EQ(nets(), "[W1 V1 W2 V2] []");
}

// The first pin of each name does all the joins of that name when the walk
// reaches it: here VCC's joins all come before GND's, though G2 stands
// before V2 in the object ring.
TEST_F(PowerPinsTest, TwoPowerNamesInOneNet) {
    pin("V1", 100, 100, 90, 100, "VCC");
    pin("G1", 300, 100, 290, 100, "GND");
    pin("G2", 500, 100, 490, 100, "GND");
    pin("V2", 500, 100, 510, 100, "VCC"); // touches G2
    build();
    EXPECT_EQ(nets(), "[G2 V2 V1 G1]");
}

} // namespace
} // namespace dovla::testing
