#pragma once

#include <cstdint>
#include <unordered_map>

namespace dovla {

class AllocPool;
struct RingNode;

// A spatial hash of 50 by 50-unit cells; each cell is a ring of one node per
// object end registered in it, in registration order.
//
// The area given at creation is one block of ring heads, zeroed and so free
// until touched: a head whose links are null reads as an empty ring and is
// set up when its first end is registered. Points outside that area (sheet
// 32, negative coordinates) get cells of the same 50-unit raster in a side
// table, so every int32 point is held and found alike and results never
// depend on the size of the area.
class PointGrid {
  public:
    static constexpr std::int32_t cellSize = 50;

    PointGrid() = default;
    PointGrid(const PointGrid&) = delete;
    PointGrid& operator=(const PointGrid&) = delete;

    // fatal "can't alloc memory!" when the pool has no room for the block.
    void create(AllocPool& pool, std::int32_t width, std::int32_t height);

    std::int32_t columns() const { return columns_; }
    std::int32_t rows() const { return rows_; }

    static std::int64_t cellColumn(std::int64_t x) { return floorDiv(x); }
    static std::int64_t cellRow(std::int64_t y) { return floorDiv(y); }

    // The cell holding (x, y), created when missing.
    RingNode* cellFor(std::int32_t x, std::int32_t y);
    // The cell at a column and row, or nullptr when nothing was ever
    // registered there; a returned head may still be zero (empty).
    RingNode* existingCell(std::int64_t column, std::int64_t row);

  private:
    static std::int64_t floorDiv(std::int64_t value) {
        return value >= 0 ? value / cellSize : -((-value + cellSize - 1) / cellSize);
    }
    static std::uint64_t outsideKey(std::int64_t column, std::int64_t row) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(column)) << 32) |
               static_cast<std::uint32_t>(row);
    }
    bool inside(std::int64_t column, std::int64_t row) const {
        return column >= 0 && column < columns_ && row >= 0 && row < rows_;
    }

    AllocPool* pool_ = nullptr;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t columns_ = 0;
    std::int32_t rows_ = 0;
    RingNode* cells_ = nullptr;
    std::unordered_map<std::uint64_t, RingNode*> outside_;
};

} // namespace dovla
