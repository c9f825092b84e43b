#include "connect/point_grid.h"

#include "connect/ring.h"
#include "driver/alloc_pool.h"
#include "driver/messages.h"

namespace dovla {

void PointGrid::create(AllocPool& pool, std::int32_t width, std::int32_t height) {
    pool_ = &pool;
    width_ = width;
    height_ = height;
    columns_ = width > 0 ? (width - 1) / cellSize + 1 : 0;
    rows_ = height > 0 ? (height - 1) / cellSize + 1 : 0;
    std::size_t count = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
    cells_ = static_cast<RingNode*>(requireMemory(pool.allocateZeroed(count * sizeof(RingNode))));
    outside_.clear();
}

RingNode* PointGrid::cellFor(std::int32_t x, std::int32_t y) {
    std::int64_t column = cellColumn(x);
    std::int64_t row = cellRow(y);
    RingNode* cell;
    if (inside(column, row)) {
        cell = &cells_[row * columns_ + column];
    } else {
        RingNode*& slot = outside_[outsideKey(column, row)];
        if (slot == nullptr)
            slot = newRingNode(*pool_);
        cell = slot;
    }
    if (cell->next == nullptr)
        ringInit(cell);
    return cell;
}

RingNode* PointGrid::existingCell(std::int64_t column, std::int64_t row) {
    if (inside(column, row))
        return &cells_[row * columns_ + column];
    auto found = outside_.find(outsideKey(column, row));
    return found == outside_.end() ? nullptr : found->second;
}

} // namespace dovla
