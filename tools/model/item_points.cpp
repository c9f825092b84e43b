#include "item_points.h"

#include <algorithm>

namespace dovla::model {

// Sheets lie apart in the plane, so a point of the plane names the sheet too.
std::uint64_t ItemPoints::key(int sheet, Point point) {
    Point plane = absolute(sheet, point);
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(plane.x)) << 32 |
           static_cast<std::uint32_t>(plane.y);
}

ItemPoints::ItemPoints(const Design& design) {
    for (const ItemRef& item : design.items) {
        forEachEnd(design, item, [&](int sheet, Point point) {
            std::vector<ItemRef>& here = items_[key(sheet, point)];
            if (here.empty() || !(here.back() == item))
                here.push_back(item);
        });
    }
}

const std::vector<ItemRef>& ItemPoints::at(int sheet, Point point) const {
    auto found = items_.find(key(sheet, point));
    return found == items_.end() ? none_ : found->second;
}

} // namespace dovla::model
