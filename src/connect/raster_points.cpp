#include "connect/net_builder.h"

#include <algorithm>

namespace dovla {

namespace {

void addIfOnRaster(std::vector<std::int32_t>& points, bool horizontal, std::int32_t fixed,
                   std::int32_t from, std::int32_t to, bool inclusiveEnd, std::int32_t step,
                   std::int32_t x, std::int32_t y) {
    std::int32_t along = horizontal ? x : y;
    std::int32_t across = horizontal ? y : x;
    if (across != fixed || along <= from || along > to || (along == to && !inclusiveEnd))
        return;
    if ((static_cast<std::int64_t>(along) - from) % step == 0)
        points.push_back(along);
}

} // namespace

// A search at a point where no object ends finds nothing and so changes
// nothing; visiting only the points where some end lies, in increasing
// order, gives the same joins and splits as visiting every raster point.
// The point `from` itself is the caller's business (a bus scan includes it).
std::vector<std::int32_t> NetBuilder::rasterPointsWithEnds(bool horizontal, std::int32_t fixed,
                                                           std::int32_t from, std::int32_t to,
                                                           bool inclusiveEnd) {
    std::vector<std::int32_t> points;
    if (to < from)
        return points;
    PointGrid& grid = store_.grid();
    std::int64_t line = horizontal ? PointGrid::cellRow(fixed) : PointGrid::cellColumn(fixed);
    std::int64_t first = horizontal ? PointGrid::cellColumn(from) : PointGrid::cellRow(from);
    std::int64_t last = horizontal ? PointGrid::cellColumn(to) : PointGrid::cellRow(to);
    for (std::int64_t cell = first; cell <= last; ++cell) {
        RingNode* head = horizontal ? grid.existingCell(cell, line) : grid.existingCell(line, cell);
        if (head == nullptr || head->next == nullptr)
            continue;
        for (RingNode* node = head->next; node != head; node = node->next) {
            auto* object = static_cast<SheetObject*>(node->data);
            addIfOnRaster(points, horizontal, fixed, from, to, inclusiveEnd, scanStep_, object->x1,
                          object->y1);
            if (object->hasEnd2)
                addIfOnRaster(points, horizontal, fixed, from, to, inclusiveEnd, scanStep_,
                              object->x2, object->y2);
        }
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

} // namespace dovla
