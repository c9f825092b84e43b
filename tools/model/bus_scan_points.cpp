#include "bus_scan_points.h"

#include <algorithm>
#include <iterator>

namespace dovla::model {

BusScanPoints::BusScanPoints(const Design& design) : step_(design.options.scanStep) {
    for (const Line& bus : design.buses) {
        const Point from = absolute(bus.sheet, bus.from);
        const Point to = absolute(bus.sheet, bus.to);
        if (from.y == to.y && from.x < to.x)
            add(false, from.y, from.x, to.x);
        else if (from.x == to.x && from.y < to.y)
            add(true, from.x, from.y, to.y);
    }
    for (auto& [line, reaches] : lines_) {
        std::sort(reaches.begin(), reaches.end());
        for (std::size_t i = 1; i < reaches.size(); ++i)
            reaches[i].second = std::max(reaches[i].second, reaches[i - 1].second);
    }
}

bool BusScanPoints::holds(int sheet, Point local) const {
    const Point at = absolute(sheet, local);
    return within(false, at.y, at.x) || within(true, at.x, at.y);
}

std::int64_t BusScanPoints::remainder(std::int32_t along) const {
    return (along % step_ + step_) % step_;
}

void BusScanPoints::add(bool vertical, std::int32_t line, std::int32_t from, std::int32_t to) {
    lines_[{vertical, line, remainder(from)}].push_back({from, to});
}

bool BusScanPoints::within(bool vertical, std::int32_t line, std::int32_t along) const {
    auto found = lines_.find({vertical, line, remainder(along)});
    if (found == lines_.end())
        return false;
    const std::vector<Reach>& reaches = found->second;
    auto after = std::upper_bound(reaches.begin(), reaches.end(), Reach{along, INT32_MAX});
    return after != reaches.begin() && std::prev(after)->second >= along;
}

} // namespace dovla::model
