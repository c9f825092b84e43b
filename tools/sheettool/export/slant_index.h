#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "design.h"

namespace dovla::sheettool::kicad::planning {

// The slanting lines of the sheets, found by the point: each line is filed
// under the cells its box covers in the finest of a few grids (each eight
// times as coarse as the one before) where that is a handful of cells, so
// that asking what passes a point tries only the lines whose box holds it,
// not every slanting line of the sheet.
class SlantIndex {
  public:
    // Files the sheet's next line (its number on the sheet: how many were
    // filed there before it).
    void add(int sheet, model::Point from, model::Point to) {
        Box box{std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x),
                std::max(from.y, to.y)};
        Lines& lines = sheets_[sheet];
        auto number = static_cast<std::uint32_t>(lines.boxes.size());
        lines.boxes.push_back(box);
        int level = 0;
        while (level < coarsest && (cellOf(level, box.right) - cellOf(level, box.left) >= span ||
                                    cellOf(level, box.bottom) - cellOf(level, box.top) >= span))
            ++level;
        lines.levels = std::max(lines.levels, level + 1);
        for (std::int64_t x = cellOf(level, box.left); x <= cellOf(level, box.right); ++x)
            for (std::int64_t y = cellOf(level, box.top); y <= cellOf(level, box.bottom); ++y)
                lines.cells[key(level, x, y)].push_back(number);
    }

    // Calls visit(number) for every line of the sheet whose box holds the
    // point, edges included, in the order they were filed.
    template <typename Visit> void forEachAround(int sheet, model::Point at, Visit visit) const {
        auto found = sheets_.find(sheet);
        if (found == sheets_.end())
            return;
        const Lines& lines = found->second;
        std::vector<std::uint32_t> numbers;
        for (int level = 0; level < lines.levels; ++level) {
            auto cell = lines.cells.find(key(level, cellOf(level, at.x), cellOf(level, at.y)));
            if (cell == lines.cells.end())
                continue;
            for (std::uint32_t number : cell->second)
                if (lines.boxes[number].holds(at))
                    numbers.push_back(number);
        }
        // A line lies in one grid, and a point in one of its cells: each
        // number comes once.
        std::sort(numbers.begin(), numbers.end());
        for (std::uint32_t number : numbers)
            visit(number);
    }

  private:
    static constexpr std::int64_t cell = 64; // units, in the finest grid
    static constexpr int coarsest = 6;
    static constexpr std::int64_t span = 4; // cells a box may cover across
    struct Box {
        std::int32_t left, top, right, bottom;
        bool holds(model::Point at) const {
            return left <= at.x && at.x <= right && top <= at.y && at.y <= bottom;
        }
    };
    struct Lines {
        std::vector<Box> boxes;
        int levels = 0;
        std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> cells;
    };
    static std::int64_t cellOf(int level, std::int64_t v) {
        const std::int64_t size = cell << (3 * level);
        return v >= 0 ? v / size : (v + 1) / size - 1;
    }
    // A cell's grid and place in one number: the cells of 32-bit points
    // fit 30 bits each way.
    static std::uint64_t key(int level, std::int64_t x, std::int64_t y) {
        return static_cast<std::uint64_t>(level) << 60 |
               (static_cast<std::uint64_t>(x) & 0x3FFFFFFFu) << 30 |
               (static_cast<std::uint64_t>(y) & 0x3FFFFFFFu);
    }

    std::map<int, Lines> sheets_;
};

} // namespace dovla::sheettool::kicad::planning
