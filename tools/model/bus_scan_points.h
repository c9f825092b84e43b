#pragma once

#include <cstdint>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "design.h"

namespace dovla::model {

// The points where the net builder looks for what touches a bus: on every
// horizontal bus drawn left to right and every vertical one drawn top to
// bottom, its first end and each scan step after it up to its last end, in
// the plane where the net builder joins the sheets (the step is positive). A point is looked up in
// logarithmic time however many buses there are: the buses of one line
// whose scan points fall alike between two steps are kept together, sorted
// by where they start, each with the furthest any of them reaches so far.
class BusScanPoints {
  public:
    explicit BusScanPoints(const Design& design);

    bool holds(int sheet, Point at) const;

  private:
    // Horizontal or vertical, the line's coordinate, the remainder of the
    // scan points' coordinate along it by the scan step.
    using LineKey = std::tuple<bool, std::int32_t, std::int64_t>;
    // Where a bus starts along its line, and the furthest end of it and of
    // every bus of the line that starts before it.
    using Reach = std::pair<std::int32_t, std::int32_t>;

    std::int64_t remainder(std::int32_t along) const;
    void add(bool vertical, std::int32_t line, std::int32_t from, std::int32_t to);
    bool within(bool vertical, std::int32_t line, std::int32_t along) const;

    std::int64_t step_;
    std::map<LineKey, std::vector<Reach>> lines_;
};

} // namespace dovla::model
