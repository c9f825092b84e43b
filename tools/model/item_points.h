#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "design.h"

namespace dovla::model {

// Which items have an end at each point, each item once per point, in the
// order the items were made: what a look at the drawing shows there.
class ItemPoints {
  public:
    explicit ItemPoints(const Design& design);

    const std::vector<ItemRef>& at(int sheet, Point point) const;

  private:
    static std::uint64_t key(int sheet, Point point);

    std::unordered_map<std::uint64_t, std::vector<ItemRef>> items_;
    std::vector<ItemRef> none_;
};

} // namespace dovla::model
