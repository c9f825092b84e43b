#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "design.h"

namespace dovla::model {

// Which items have an end at each point, each item once per point, in the
// order the items were made: what a look at the drawing shows there. One
// sorted table of all ends, looked up by halving.
class ItemPoints {
  public:
    explicit ItemPoints(const Design& design);

    std::span<const ItemRef> at(int sheet, Point point) const;

  private:
    static std::uint64_t key(int sheet, Point point);

    std::vector<std::uint64_t> keys_;
    std::vector<ItemRef> items_; // items_[i] has an end at keys_[i]
};

} // namespace dovla::model
