#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "item_points.h"

namespace dovla::model {
namespace {

// What the index must answer: every item with an end at the point of the
// plane, once, in the design's order of items.
std::vector<ItemRef> itemsWithAnEndAt(const Design& design, int sheet, Point at) {
    std::vector<ItemRef> found;
    for (const ItemRef& item : design.items) {
        bool there = false;
        forEachEnd(design, item, [&](int s, Point end) {
            there = there || absolute(s, end) == absolute(sheet, at);
        });
        if (there)
            found.push_back(item);
    }
    return found;
}

// Random wires, pins, junctions and labels, many on shared points, with
// coordinates small, negative and large enough to vary every byte of the
// index's keys, some on grids that leave the low bits of a byte alike,
// asked at every end and at points where nothing is.
TEST(ItemPoints, AnswerAsALookAtEveryItemWould) {
    std::mt19937 random(20261211);
    const std::int32_t spans[] = {30, 4000, 1 << 20, 1 << 29};
    const std::int32_t steps[] = {1, 16, 4096};
    int shared = 0;
    for (int round = 0; round < 200; ++round) {
        const std::int32_t span = spans[round % 4];
        const std::int32_t step = steps[round / 4 % 3];
        std::vector<Point> points;
        for (int i = 0; i < 6; ++i) {
            auto coordinate = [&] {
                return std::uniform_int_distribution<std::int32_t>(-span, span)(random) / step *
                       step;
            };
            points.push_back({coordinate(), coordinate()});
        }
        auto point = [&] {
            return points[std::uniform_int_distribution<std::size_t>(0, points.size() - 1)(random)];
        };
        auto sheet = [&] { return std::uniform_int_distribution<int>(0, 32)(random) % 3 * 16; };
        Design design;
        const int items = std::uniform_int_distribution<int>(0, 40)(random);
        for (int i = 0; i < items; ++i) {
            switch (std::uniform_int_distribution<int>(0, 3)(random)) {
            case 0: {
                Line wire;
                wire.sheet = sheet();
                wire.from = point();
                wire.to = i % 5 == 0 ? wire.from : point();
                design.wires.push_back(wire);
                design.items.push_back({ItemKind::Wire, std::uint32_t(design.wires.size() - 1)});
                break;
            }
            case 1: {
                Pin pin;
                pin.sheet = sheet();
                pin.end = point();
                design.pins.push_back(pin);
                design.items.push_back({ItemKind::Pin, std::uint32_t(design.pins.size() - 1)});
                break;
            }
            case 2:
                design.junctions.push_back({sheet(), point(), 0});
                design.items.push_back(
                    {ItemKind::Junction, std::uint32_t(design.junctions.size() - 1)});
                break;
            default: {
                Label label;
                label.sheet = sheet();
                label.at = point();
                design.labels.push_back(label);
                design.items.push_back({ItemKind::Label, std::uint32_t(design.labels.size() - 1)});
                break;
            }
            }
        }
        const ItemPoints index(design);
        for (int s : {0, 16, 32}) {
            for (const Point& at : points) {
                const std::vector<ItemRef> expected = itemsWithAnEndAt(design, s, at);
                const std::span<const ItemRef> got = index.at(s, at);
                ASSERT_EQ(std::vector<ItemRef>(got.begin(), got.end()), expected)
                    << "round " << round << ", sheet " << s << " at " << at.x << "," << at.y;
                shared += expected.size() > 1;
            }
        }
    }
    // Points held by several items, whose order the index must keep, are
    // common enough to tell.
    EXPECT_GT(shared, 500);
}

} // namespace
} // namespace dovla::model
