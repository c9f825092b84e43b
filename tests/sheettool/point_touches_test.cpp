#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "export/kicad_planner.h"

namespace dovla::sheettool::kicad::planning {
namespace {

std::set<int> ownersOf(const PointTouches& at) {
    std::set<int> owners;
    at.forEachOwner([&](int owner) { EXPECT_TRUE(owners.insert(owner).second); });
    return owners;
}

std::set<int> ownersNotGone(const PointTouches& at) {
    std::set<int> owners;
    for (const Touch& touch : at.list())
        if (!touch.gone)
            owners.insert(touch.owner);
    return owners;
}

// Whatever touches are added and drawn short, in any order and more than
// once, the owners a point reports are those of its touches not gone.
TEST(PointTouches, OwnersAreThoseOfTheTouchesNotGone) {
    std::uint32_t seed = 12345;
    auto next = [&](std::uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % below;
    };
    for (int round = 0; round < 200; ++round) {
        PointTouches at;
        for (int step = 0; step < 24; ++step) {
            if (at.list().empty() || next(3) != 0) {
                at.add({Touch::WireEnd, static_cast<int>(next(4)) - 1, 0, 0});
            } else {
                at.drop(at.list()[next(static_cast<std::uint32_t>(at.list().size()))]);
            }
            ASSERT_EQ(ownersOf(at), ownersNotGone(at)) << "round " << round << ", step " << step;
        }
    }
}

} // namespace
} // namespace dovla::sheettool::kicad::planning
