#include "connect/point_grid.h"

#include <cstring>

#include "driver/alloc_pool.h"
#include "driver/messages.h"

namespace dovla {

PointGrid::~PointGrid() {
    clear();
}

void PointGrid::clear() {
    blocks_.clear();
    points_.clear();
    nodes_.clear();
    pool_.release(window_);
    window_ = nullptr;
    beyondWindow_.clear();
    crowdedLines_.clear();
}

std::uint32_t PointGrid::blockBeyondWindow(std::int64_t cellX, std::int64_t cellY) const {
    auto found = beyondWindow_.find(blockKey(cellX >> blockBits, cellY >> blockBits));
    return found == beyondWindow_.end() ? none : found->second;
}

std::uint32_t PointGrid::makeBlock(std::int64_t cellX, std::int64_t cellY) {
    std::uint32_t block = blockOf(cellX, cellY);
    if (block != none)
        return block;
    block = blocks_.size();
    Block& made = blocks_.append();
    std::memset(made.cells, 0xFF, sizeof(Block::cells));
    std::memset(made.counts, 0, sizeof(Block::counts));
    std::int64_t column = (cellX >> blockBits) - windowStart;
    std::int64_t row = (cellY >> blockBits) - windowStart;
    if (column >= 0 && column < windowBlocks && row >= 0 && row < windowBlocks) {
        if (window_ == nullptr)
            window_ = static_cast<std::uint32_t*>(requireMemory(
                pool_.allocateZeroed(windowBlocks * windowBlocks * sizeof(std::uint32_t))));
        window_[row * windowBlocks + column] = block + 1;
    } else {
        beyondWindow_.emplace(blockKey(cellX >> blockBits, cellY >> blockBits), block);
    }
    return block;
}

std::uint32_t PointGrid::findPoint(std::int32_t x, std::int32_t y) const {
    std::int64_t cellX = std::int64_t{x} >> cellBits;
    std::int64_t cellY = std::int64_t{y} >> cellBits;
    std::uint32_t block = blockOf(cellX, cellY);
    if (block == none)
        return none;
    for (std::uint32_t p = blocks_[block].cells[cellInBlock(cellX, cellY)]; p != none;
         p = points_[p].nextInCell) {
        if (points_[p].x == x && points_[p].y == y)
            return p;
    }
    return none;
}

std::uint32_t PointGrid::findOrAddPoint(std::int32_t x, std::int32_t y) {
    std::uint32_t found = findPoint(x, y);
    if (found != none)
        return found;
    std::int64_t cellX = std::int64_t{x} >> cellBits;
    std::int64_t cellY = std::int64_t{y} >> cellBits;
    Block& block = blocks_[makeBlock(cellX, cellY)];
    std::uint32_t& head = block.cells[cellInBlock(cellX, cellY)];
    std::uint8_t& count = block.counts[cellInBlock(cellX, cellY)];
    if (count < 255)
        ++count;
    std::uint32_t index = points_.size();
    Point& point = points_.append();
    point.x = x;
    point.y = y;
    point.nextInCell = head;
    point.first = none;
    point.count = 0;
    point.kinds = 0;
    head = index;
    return index;
}

const std::vector<PointGrid::OnLine>& PointGrid::crowdedLine(bool horizontal, std::int32_t fixed,
                                                             std::int64_t cellX, std::int64_t cellY,
                                                             std::uint32_t first) const {
    CrowdedLine& line = crowdedLines_[LineKey{cellX, cellY, fixed, horizontal}];
    if (line.head == first)
        return line.points;
    line.head = first;
    line.points.clear();
    for (std::uint32_t p = first; p != none; p = points_[p].nextInCell) {
        const Point& point = points_[p];
        if ((horizontal ? point.y : point.x) == fixed)
            line.points.push_back({horizontal ? point.x : point.y, p});
    }
    std::sort(line.points.begin(), line.points.end(),
              [](const OnLine& a, const OnLine& b) { return a.along < b.along; });
    return line.points;
}

std::uint32_t PointGrid::registerEnd(std::int32_t x, std::int32_t y, std::uint32_t object,
                                     std::uint8_t kind) {
    Point& point = points_[findOrAddPoint(x, y)];
    point.kinds |= std::uint32_t{1} << (kind & 31);
    std::uint32_t index = nodes_.size();
    Node& node = nodes_.append();
    node.object = object;
    if (point.first == none) {
        point.first = index;
        node.next = node.prev = index;
    } else {
        Node& first = nodes_[point.first];
        node.next = point.first;
        node.prev = first.prev;
        nodes_[first.prev].next = index;
        first.prev = index;
    }
    ++point.count;
    return index;
}

void PointGrid::unregisterEnd(std::uint32_t index, std::int32_t x, std::int32_t y) {
    Point& point = points_[findPoint(x, y)];
    Node& node = nodes_[index];
    if (node.next == index) {
        point.first = none;
    } else {
        nodes_[node.prev].next = node.next;
        nodes_[node.next].prev = node.prev;
        if (point.first == index)
            point.first = node.next;
    }
    --point.count;
}

} // namespace dovla
