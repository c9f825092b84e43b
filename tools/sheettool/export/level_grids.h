#pragma once

#include <cstdint>

namespace dovla::sheettool::kicad::planning {

// Square grids of several sizes, each eight times as coarse as the one
// before, the finest of cells `FinestCell` wide. A box is filed in the
// finest grid where it covers fewer than four cells across, so that a long
// line's box takes a handful of cells, not thousands; a look-up visits the
// cells it covers in every grid.
template <std::int64_t FinestCell> struct LevelGrids {
    static constexpr int coarsest = 6;

    // The cell of a coordinate in a grid, rounded toward smaller values.
    static std::int64_t cellOf(int level, std::int64_t v) {
        const std::int64_t size = FinestCell << (3 * level);
        return v >= 0 ? v / size : (v + 1) / size - 1;
    }
    static int levelOf(std::int64_t left, std::int64_t top, std::int64_t right,
                       std::int64_t bottom) {
        constexpr std::int64_t span = 4;
        int level = 0;
        while (level < coarsest && (cellOf(level, right) - cellOf(level, left) >= span ||
                                    cellOf(level, bottom) - cellOf(level, top) >= span))
            ++level;
        return level;
    }
    // visit(x, y) for every cell of the grid that the box covers.
    template <typename Visit>
    static void forEachCell(int level, std::int64_t left, std::int64_t top, std::int64_t right,
                            std::int64_t bottom, Visit visit) {
        for (std::int64_t x = cellOf(level, left); x <= cellOf(level, right); ++x)
            for (std::int64_t y = cellOf(level, top); y <= cellOf(level, bottom); ++y)
                visit(x, y);
    }
};

} // namespace dovla::sheettool::kicad::planning
