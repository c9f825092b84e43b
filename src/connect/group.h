#pragma once

#include "connect/pooled_array.h"
#include "connect/sheet_object.h"

namespace dovla {

// A net or a bus group: its members in joining order, linked through the
// members themselves. A merge moves all members of one group behind those
// of another and leaves the emptied group where it stands.
struct Group {
    ObjectId first;
    ObjectId last;

    bool empty() const { return first == noObject; }
};

// The nets, or the bus groups, in the order they were created. A group's
// number tells the two lists apart by its highest bit.
class GroupList : public PooledArray<Group, 10> {
  public:
    static constexpr GroupId busGroupBit = 0x80000000u;

    GroupList(AllocPool& pool, GroupId listBit) : PooledArray(pool), listBit_(listBit) {}

    GroupId idOf(std::uint32_t index) const { return listBit_ | (index + 1); }
    static std::uint32_t indexOf(GroupId id) { return (id & ~busGroupBit) - 1; }

  private:
    GroupId listBit_;
};

} // namespace dovla
