#include "item_points.h"

#include <algorithm>
#include <array>

namespace dovla::model {

// Sheets lie apart in the plane, so a point of the plane names the sheet too.
std::uint64_t ItemPoints::key(int sheet, Point point) {
    Point plane = absolute(sheet, point);
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(plane.x)) << 32 |
           static_cast<std::uint32_t>(plane.y);
}

namespace {

struct End {
    std::uint64_t key;
    ItemRef item;
};

// The ends in the order of their keys, those of one key in the order they
// were made: a radix sort, stable by its nature, a byte at a time, that
// passes over the bytes every key shares (most: a drawing's numbers are
// small).
void sortByKey(std::vector<End>& ends) {
    std::uint64_t varying = 0;
    for (const End& end : ends)
        varying |= end.key ^ ends.front().key;
    std::vector<End> sorted(ends.size());
    for (int shift = 0; shift < 64; shift += 8) {
        if ((varying >> shift & 0xFF) == 0)
            continue;
        std::array<std::size_t, 257> first{};
        for (const End& end : ends)
            ++first[(end.key >> shift & 0xFF) + 1];
        for (std::size_t byte = 1; byte < first.size(); ++byte)
            first[byte] += first[byte - 1];
        for (const End& end : ends)
            sorted[first[end.key >> shift & 0xFF]++] = end;
        ends.swap(sorted);
    }
}

} // namespace

ItemPoints::ItemPoints(const Design& design) {
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
    sortByKey(ends);
    keys_.reserve(ends.size());
    items_.reserve(ends.size());
    for (const End& end : ends) {
        keys_.push_back(end.key);
        items_.push_back(end.item);
    }
}

std::span<const ItemRef> ItemPoints::at(int sheet, Point point) const {
    const std::uint64_t wanted = key(sheet, point);
    const auto first = std::lower_bound(keys_.begin(), keys_.end(), wanted);
    auto last = first;
    while (last != keys_.end() && *last == wanted)
        ++last;
    return {items_.data() + (first - keys_.begin()), static_cast<std::size_t>(last - first)};
}

} // namespace dovla::model
