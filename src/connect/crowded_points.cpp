#include "connect/crowded_points.h"

#include "connect/object_store.h"

namespace dovla {

CrowdedPoint* CrowdedPoints::find(std::uint32_t point) {
    if (point == PointGrid::none || store_.grid().point(point).count <= crowdedEnds)
        return nullptr;
    return &points_[point];
}

int directionSlot(std::int8_t code) {
    switch (code) {
    case DirPoint:
        return 4;
    case DirOblique:
        return 5;
    default:
        return code;
    }
}

} // namespace dovla
