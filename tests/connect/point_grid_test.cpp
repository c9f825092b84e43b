#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "connect/point_grid.h"
#include "driver/alloc_pool.h"

namespace dovla::testing {
namespace {

// The points on a line, as a scan visits them: every point ever registered
// on the line within [from, to], a whole number of steps from origin, in
// increasing order. Checked against the set of registered points on lines
// through sparse cells and through crowded ones (a point at every unit),
// with points added between the scans, so that a crowded cell's sorted
// lines must notice them.
TEST(PointGrid, PointsOnALineAreThoseRegisteredThereInOrder) {
    AllocPool pool;
    PointGrid grid(pool);
    std::set<std::pair<std::int32_t, std::int32_t>> registered;
    std::mt19937 random(7);
    std::uint32_t object = 0;
    auto add = [&](std::int32_t x, std::int32_t y) {
        grid.registerEnd(x, y, object++, 3);
        registered.insert({x, y});
    };
    // Crowded: two cells full on the line y = 1001 with every third unit of
    // y = 1000, a cell full on x = 2049 with every third unit of x = 2048,
    // and a scattering of points around them; sparse: points on the 10-unit
    // raster far away.
    for (std::int32_t x = 960; x < 1024; ++x) {
        add(x, 1001);
        if (x % 3 == 0)
            add(x, 1000);
    }
    for (std::int32_t y = 2016; y < 2048; ++y) {
        add(2049, y);
        if (y % 3 == 0)
            add(2048, y);
    }
    auto scatter = [&](int count) {
        for (int i = 0; i < count; ++i) {
            add(940 + static_cast<std::int32_t>(random() % 100),
                990 + static_cast<std::int32_t>(random() % 20));
            add(2040 + static_cast<std::int32_t>(random() % 20),
                2000 + static_cast<std::int32_t>(random() % 60));
            add(-5000 + 10 * static_cast<std::int32_t>(random() % 100), -7000);
        }
    };
    scatter(40);

    struct Line {
        bool horizontal;
        std::int32_t fixed;
        std::int64_t from, to;
    };
    const std::vector<Line> lines = {{true, 1000, 900, 1100},   {true, 1000, 970, 1000},
                                     {true, 995, 930, 1050},    {false, 2048, 1990, 2070},
                                     {false, 2050, 2000, 2030}, {true, -7000, -6000, -4000},
                                     {true, 1000, 1024, 2000},  {false, 2048, -100, 1000}};
    for (int round = 0; round < 4; ++round) {
        for (const Line& line : lines) {
            for (std::int32_t step : {1, 10, 7}) {
                std::int64_t origin = line.from - 1;
                std::vector<std::int32_t> expected;
                for (const auto& [x, y] : registered) {
                    std::int32_t across = line.horizontal ? y : x;
                    std::int32_t along = line.horizontal ? x : y;
                    if (across == line.fixed && along >= line.from && along <= line.to &&
                        (along - origin) % step == 0)
                        expected.push_back(along);
                }
                std::sort(expected.begin(), expected.end());
                std::vector<std::int32_t> visited;
                grid.forEachPointOnLine(line.horizontal, line.fixed, line.from, line.to, origin,
                                        step, [&](std::int32_t along, std::uint32_t point) {
                                            const PointGrid::Point& p = grid.point(point);
                                            EXPECT_EQ(line.horizontal ? p.x : p.y, along);
                                            EXPECT_EQ(line.horizontal ? p.y : p.x, line.fixed);
                                            visited.push_back(along);
                                            return true;
                                        });
                EXPECT_EQ(visited, expected) << "round " << round << ", line " << line.fixed
                                             << " from " << line.from << ", step " << step;
            }
        }
        // New points on the lines through the crowded cells, where the
        // scans have been.
        add(961 + 3 * round, 1000);
        add(1000 + 3 * round, 1000);
        add(2048, 2017 + 3 * round);
        scatter(10);
    }
}

// A visit that returns false ends the walk, in a crowded cell as in any.
TEST(PointGrid, AVisitThatSaysStopEndsTheWalk) {
    AllocPool pool;
    PointGrid grid(pool);
    for (std::int32_t x = 0; x < 64; ++x)
        grid.registerEnd(x, 0, static_cast<std::uint32_t>(x), 3);
    std::vector<std::int32_t> visited;
    grid.forEachPointOnLine(true, 0, 0, 63, 0, 1, [&](std::int32_t along, std::uint32_t) {
        visited.push_back(along);
        return along < 40;
    });
    EXPECT_EQ(visited.size(), 41u);
    EXPECT_EQ(visited.back(), 40);
}

} // namespace
} // namespace dovla::testing
