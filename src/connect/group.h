#pragma once

#include "connect/pooled_array.h"
#include "connect/sheet_object.h"

namespace dovla {

// A net or a bus group: its members in joining order, linked through the
// members themselves. A merge moves all members of one group behind those
// of another and leaves the emptied group where it stands.
struct Group {
    SheetObject* first;
    SheetObject* last;

    bool empty() const { return first == nullptr; }
};

// The nets, or the bus groups, in the order they were created.
using GroupList = PooledArray<Group, 10>;

template <typename Visit> void forEachMember(const Group& group, Visit visit) {
    for (SheetObject* member = group.first; member != nullptr; member = member->nextMember)
        visit(member);
}

} // namespace dovla
