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
    struct End {
        std::uint64_t key;
        ItemRef item;
    };
    std::vector<End> ends;
    ends.reserve(design.items.size() * 2);
    for (const ItemRef& item : design.items) {
        // Both ends of an item at one point are made one after the other.
        forEachEnd(design, item, [&](int sheet, Point point) {
            std::uint64_t at = key(sheet, point);
            if (ends.empty() || ends.back().key != at || !(ends.back().item == item))
                ends.push_back({at, item});
        });
    }
    // Stable, so that the items at a point stay in the order they were made.
    std::stable_sort(ends.begin(), ends.end(),
                     [](const End& a, const End& b) { return a.key < b.key; });
    keys_.reserve(ends.size());
    items_.reserve(ends.size());
    for (const End& end : ends) {
        keys_.push_back(end.key);
        items_.push_back(end.item);
    }
}

std::span<const ItemRef> ItemPoints::at(int sheet, Point point) const {
    auto [first, last] = std::equal_range(keys_.begin(), keys_.end(), key(sheet, point));
    return {items_.data() + (first - keys_.begin()), static_cast<std::size_t>(last - first)};
}

} // namespace dovla::model
