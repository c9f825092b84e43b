#pragma once

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "connect/pooled_array.h"

namespace dovla {

class AllocPool;

// Every registered object end, found by its exact point.
//
// Each point where some end lies has one record, with the ring of the ends
// registered there in registration order. A record is found through a
// two-level directory of square cells: blocks of 16 by 16 cells of 32 units,
// made when a point first falls into them, so every int32 point is held
// alike and a design costs only the blocks it touches. Each end's record
// (a node) is numbered in registration order across the whole grid.
//
// The search's notion of a cell is another: two ends of one object within
// one 50 by 50-unit cell (floor division, so that every point has one) make
// the object turn up at either end once for each end; see PointSearch.
class PointGrid {
  public:
    static constexpr std::uint32_t none = 0xFFFFFFFFu;
    static constexpr std::int32_t cellSize = 50;

    struct Node {
        std::uint32_t object; // the object's index in the store
        std::uint32_t next;   // the ring of the point's nodes
        std::uint32_t prev;
    };
    struct Point {
        std::int32_t x, y;
        std::uint32_t nextInCell; // the chain of the points of an index cell
        std::uint32_t first;      // the point's first node, or none
        std::uint32_t count;      // the nodes registered at the point
        std::uint32_t kinds;      // bit k: an object of kind k has had an end here
    };

    explicit PointGrid(AllocPool& pool) : pool_(pool), blocks_(pool), points_(pool), nodes_(pool) {}
    ~PointGrid();
    PointGrid(const PointGrid&) = delete;
    PointGrid& operator=(const PointGrid&) = delete;

    void clear();

    // Registers an end of an object of a kind at (x, y); returns its node,
    // whose number is the order of registration.
    std::uint32_t registerEnd(std::int32_t x, std::int32_t y, std::uint32_t object,
                              std::uint8_t kind);
    // Takes a node off the ring of its point (x, y). The point's record
    // stays, also when it holds no end any more.
    void unregisterEnd(std::uint32_t node, std::int32_t x, std::int32_t y);

    // The record of a point, or none when no end was ever registered there.
    std::uint32_t findPoint(std::int32_t x, std::int32_t y) const;
    const Point& point(std::uint32_t index) const { return points_[index]; }
    const Node& node(std::uint32_t index) const { return nodes_[index]; }
    std::uint32_t nodeCount() const { return nodes_.size(); }

    // Whether two points lie in one 50 by 50-unit cell of the search.
    static bool sameSearchCell(std::int32_t xa, std::int32_t ya, std::int32_t xb, std::int32_t yb) {
        std::int64_t dx = std::int64_t{xa} - xb;
        std::int64_t dy = std::int64_t{ya} - yb;
        if (dx >= cellSize || -dx >= cellSize || dy >= cellSize || -dy >= cellSize)
            return false;
        return floorDiv(xa) == floorDiv(xb) && floorDiv(ya) == floorDiv(yb);
    }

    // Visits, in increasing order, every point that has a record on the
    // horizontal line y = fixed (or the vertical line x = fixed) with its
    // other coordinate in [from, to], a whole number of steps from origin;
    // visit(along, point) returns false to stop.
    template <typename Visit>
    void forEachPointOnLine(bool horizontal, std::int32_t fixed, std::int64_t from, std::int64_t to,
                            std::int64_t origin, std::int32_t step, Visit visit) const;

  private:
    static constexpr int cellBits = 5;
    static constexpr int blockBits = 4;
    static constexpr std::int64_t blockCells = std::int64_t{1} << blockBits;
    struct Block {
        std::uint32_t cells[blockCells * blockCells]; // the first point of each, or none
        std::uint8_t counts[blockCells * blockCells]; // the points of each, up to 255
    };
    // A point on a line, by its place along the line.
    struct OnLine {
        std::int32_t along;
        std::uint32_t point;
    };
    // A cell with this many points is crowded: drawn on the 10-unit raster a
    // cell holds 16 at most. A scan through a crowded cell reads the points
    // on its line from a list kept sorted, instead of walking all of them
    // for every bus or wire that passes.
    static constexpr std::uint8_t crowdedCell = 24;
    const std::vector<OnLine>& crowdedLine(bool horizontal, std::int32_t fixed, std::int64_t cellX,
                                           std::int64_t cellY, std::uint32_t first) const;

    static std::int64_t floorDiv(std::int64_t value) {
        return value >= 0 ? value / cellSize : -((-value + cellSize - 1) / cellSize);
    }
    static std::uint64_t blockKey(std::int64_t blockX, std::int64_t blockY) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(blockX)) << 32 |
               static_cast<std::uint32_t>(blockY);
    }
    static std::uint32_t cellInBlock(std::int64_t cellX, std::int64_t cellY) {
        return static_cast<std::uint32_t>((cellY & (blockCells - 1)) << blockBits |
                                          (cellX & (blockCells - 1)));
    }
    // Blocks are found in a directory of the window that every drawing
    // falls into (x and y from -65536 to 196607), and beyond it in a table.
    static constexpr std::int64_t windowBlocks = 512;
    static constexpr std::int64_t windowStart = -128;

    // The block of a cell, or none.
    std::uint32_t blockOf(std::int64_t cellX, std::int64_t cellY) const {
        std::int64_t column = (cellX >> blockBits) - windowStart;
        std::int64_t row = (cellY >> blockBits) - windowStart;
        if (column >= 0 && column < windowBlocks && row >= 0 && row < windowBlocks)
            return window_ != nullptr ? window_[row * windowBlocks + column] - 1 : none;
        return blockBeyondWindow(cellX, cellY);
    }
    std::uint32_t blockBeyondWindow(std::int64_t cellX, std::int64_t cellY) const;
    std::uint32_t makeBlock(std::int64_t cellX, std::int64_t cellY);
    std::uint32_t findOrAddPoint(std::int32_t x, std::int32_t y);

    AllocPool& pool_;
    PooledArray<Block, 6> blocks_;
    PooledArray<Point, 12> points_;
    PooledArray<Node, 14> nodes_;
    // The directory: a block's index plus 1 (0 for none), for each block of
    // the window, taken zeroed from the pool as it is first needed, so that
    // only the rows a drawing touches take memory.
    std::uint32_t* window_ = nullptr;
    std::unordered_map<std::uint64_t, std::uint32_t> beyondWindow_;
    // The sorted lines of crowded cells, by cell, orientation and line, each
    // with the cell's first point when it was made: points join a cell at the
    // front of its chain, so another first point means one was added since.
    struct LineKey {
        std::int64_t cellX, cellY;
        std::int32_t fixed;
        bool horizontal;
        bool operator==(const LineKey&) const = default;
    };
    struct LineKeyHash {
        std::size_t operator()(const LineKey& key) const {
            std::uint64_t h = static_cast<std::uint64_t>(key.cellX) * 0x9E3779B97F4A7C15u;
            h ^= static_cast<std::uint64_t>(key.cellY) + 0x7F4A7C159E3779B9u + (h << 6) + (h >> 2);
            h ^= static_cast<std::uint64_t>(static_cast<std::uint32_t>(key.fixed)) * 2 +
                 key.horizontal + (h << 6) + (h >> 2);
            return static_cast<std::size_t>(h);
        }
    };
    struct CrowdedLine {
        std::uint32_t head = none;
        std::vector<OnLine> points;
    };
    mutable std::unordered_map<LineKey, CrowdedLine, LineKeyHash> crowdedLines_;
};

template <typename Visit>
void PointGrid::forEachPointOnLine(bool horizontal, std::int32_t fixed, std::int64_t from,
                                   std::int64_t to, std::int64_t origin, std::int32_t step,
                                   Visit visit) const {
    if (from > to)
        return;
    // The scan steps are 10 and 1: a division by a constant costs a
    // multiplication, by a variable a division, for every point of the line.
    auto onStep = [step](std::int64_t offset) {
        if (step == 10)
            return offset % 10 == 0;
        return step == 1 || offset % step == 0;
    };
    const std::int64_t fixedCell = std::int64_t{fixed} >> cellBits;
    const std::int64_t lastCell = to >> cellBits;
    for (std::int64_t cell = from >> cellBits; cell <= lastCell; ++cell) {
        std::int64_t cellX = horizontal ? cell : fixedCell;
        std::int64_t cellY = horizontal ? fixedCell : cell;
        std::uint32_t block = blockOf(cellX, cellY);
        if (block == none) {
            // On to the first cell of the next block along the line.
            cell |= blockCells - 1;
            continue;
        }
        const Block& cells = blocks_[block];
        const std::uint32_t inBlock = cellInBlock(cellX, cellY);
        if (cells.counts[inBlock] >= crowdedCell) {
            for (const OnLine& on :
                 crowdedLine(horizontal, fixed, cellX, cellY, cells.cells[inBlock])) {
                if (on.along > to)
                    return;
                if (on.along >= from && onStep(on.along - origin) && !visit(on.along, on.point))
                    return;
            }
            continue;
        }
        // A cell holds at most 32 points of one line. Those off the steps
        // are left out before the sort.
        OnLine alongs[std::int64_t{1} << cellBits];
        int found = 0;
        for (std::uint32_t p = cells.cells[inBlock]; p != none; p = points_[p].nextInCell) {
            const Point& point = points_[p];
            std::int32_t across = horizontal ? point.y : point.x;
            std::int32_t along = horizontal ? point.x : point.y;
            if (across == fixed && along >= from && along <= to && onStep(along - origin))
                alongs[found++] = {along, p};
        }
        std::sort(alongs, alongs + found,
                  [](const OnLine& a, const OnLine& b) { return a.along < b.along; });
        for (int i = 0; i < found; ++i) {
            if (!visit(alongs[i].along, alongs[i].point))
                return;
        }
    }
}

} // namespace dovla
