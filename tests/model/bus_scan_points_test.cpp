#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "bus_scan_points.h"

namespace dovla::model {
namespace {

// What the index must answer, asked of every bus in turn: whether the
// point, in the plane where the sheets are joined, is the first end of a
// bus drawn left to right or top to bottom, or a whole number of scan
// steps along it up to its last end.
bool onScanPointOfAnyBus(const Design& design, int sheet, Point local) {
    const std::int64_t step = design.options.scanStep;
    const Point at = absolute(sheet, local);
    for (const Line& bus : design.buses) {
        const Point from = absolute(bus.sheet, bus.from);
        const Point to = absolute(bus.sheet, bus.to);
        if (from == to)
            continue;
        if (from.y == to.y && at.y == from.y && at.x >= from.x && at.x <= to.x &&
            (std::int64_t{at.x} - from.x) % step == 0)
            return true;
        if (from.x == to.x && at.x == from.x && at.y >= from.y && at.y <= to.y &&
            (std::int64_t{at.y} - from.y) % step == 0)
            return true;
    }
    return false;
}

// Random buses of every kind (across, down, drawn backwards, slanting,
// a single point, overlapping, on several sheets, some of them beyond
// their sheet into the next one's place in the plane) against points on
// and off them, at both scan steps.
TEST(BusScanPoints, AnswerAsAScanOfEveryBusWould) {
    std::mt19937 random(20261208);
    auto coordinate = [&](int span) {
        return static_cast<std::int32_t>(std::uniform_int_distribution<int>(-span, span)(random));
    };
    int onBus = 0, asked = 0;
    for (int round = 0; round < 400; ++round) {
        Design design;
        design.options.scanStep = round % 2 == 0 ? 10 : 1;
        const int span = round % 4 < 2 ? 60 : 4000;
        const int buses = std::uniform_int_distribution<int>(0, 12)(random);
        for (int i = 0; i < buses; ++i) {
            Line bus;
            bus.sheet = std::uniform_int_distribution<int>(0, 2)(random);
            bus.from = {coordinate(span), coordinate(span)};
            switch (std::uniform_int_distribution<int>(0, 3)(random)) {
            case 0:
                bus.to = {coordinate(span), bus.from.y};
                break;
            case 1:
                bus.to = {bus.from.x, coordinate(span)};
                break;
            case 2:
                bus.to = {coordinate(span), coordinate(span)};
                break;
            default:
                bus.to = bus.from;
                break;
            }
            design.buses.push_back(bus);
        }
        const BusScanPoints index(design);
        for (int i = 0; i < 200; ++i) {
            int sheet = std::uniform_int_distribution<int>(0, 2)(random);
            Point at{coordinate(span), coordinate(span)};
            if (!design.buses.empty() && i % 2 == 0) {
                // A point of a bus's line, near one of its ends.
                const Line& bus = design.buses[i / 2 % design.buses.size()];
                sheet = bus.sheet;
                at = i % 4 == 0 ? Point{bus.from.x + 5 * coordinate(5), bus.from.y}
                                : Point{bus.to.x, bus.to.y + 5 * coordinate(5)};
            }
            const bool expected = onScanPointOfAnyBus(design, sheet, at);
            ASSERT_EQ(index.holds(sheet, at), expected)
                << "round " << round << ", sheet " << sheet << " at " << at.x << "," << at.y;
            onBus += expected;
            ++asked;
        }
    }
    // The points asked fall on scan points often enough to tell.
    EXPECT_GT(onBus, asked / 50);
}

// Buses of one line that overlap or nest: a point is held by any of them,
// not only by the one that starts nearest before it.
TEST(BusScanPoints, SeeEveryBusOfALine) {
    struct Case {
        std::vector<Line> buses;
        Point at;
        bool held;
    };
    const Case cases[] = {
        {{{1, {0, 50}, {200, 50}, {}}, {1, {50, 50}, {60, 50}, {}}}, {100, 50}, true},
        {{{1, {0, 50}, {200, 50}, {}}, {1, {50, 50}, {60, 50}, {}}}, {210, 50}, false},
        {{{1, {70, 0}, {70, 300}, {}}, {1, {70, 100}, {70, 110}, {}}}, {70, 250}, true},
        // Scan points fall between the steps of another bus: 5 off.
        {{{1, {0, 50}, {200, 50}, {}}, {1, {5, 50}, {300, 50}, {}}}, {105, 50}, true},
        {{{1, {0, 50}, {100, 50}, {}}, {1, {5, 50}, {300, 50}, {}}}, {110, 50}, false},
    };
    for (const Case& c : cases) {
        Design design;
        design.buses = c.buses;
        EXPECT_EQ(BusScanPoints(design).holds(1, c.at), c.held) << c.at.x << "," << c.at.y;
        EXPECT_EQ(onScanPointOfAnyBus(design, 1, c.at), c.held) << c.at.x << "," << c.at.y;
    }
}

} // namespace
} // namespace dovla::model
