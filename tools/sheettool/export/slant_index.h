#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "design.h"
#include "export/level_grids.h"

namespace dovla::sheettool::kicad::planning {

// The slanting lines of the sheets, found by the point: each line is filed
// under the cells its box covers in the grids of LevelGrids (the finest of
// 64 units), so that asking what passes a point tries only the lines whose
// box holds it, not every slanting line of the sheet.
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
        const int level = Grids::levelOf(box.left, box.top, box.right, box.bottom);
        lines.levels = std::max(lines.levels, level + 1);
        Grids::forEachCell(level, box.left, box.top, box.right, box.bottom,
                           [&](std::int64_t x, std::int64_t y) {
                               lines.cells[key(level, x, y)].push_back(number);
                           });
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
            auto cell = lines.cells.find(
                key(level, Grids::cellOf(level, at.x), Grids::cellOf(level, at.y)));
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
    using Grids = LevelGrids<64>; // units, in the finest grid
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
