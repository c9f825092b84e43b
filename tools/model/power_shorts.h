#pragma once

#include <optional>
#include <string>
#include <vector>

#include "design.h"

namespace dovla::model {

// The name a member of a net carries (a label, a tag or a power pin), if
// any.
struct MemberName {
    std::string name;
    bool power = false;
};

// One place where two power names of a net meet: the item between them
// (not a pin where the way has another), and the first power pin of each
// side, by the index of the net's members.
struct ShortPlace {
    ItemRef at;
    std::size_t side[2];
};

// Where a net joins its power names: each power pin claims the items
// nearest to it (through shared points, a label and the wire it lies on,
// and names that are not power names); pins of one name whose claims touch
// are one side; where sides of different names touch, the side of the
// name with fewer sides is the bridge, and each bridge is one place for
// each other name it touches, so that a second ground symbol dropped
// elsewhere is a place of its own while one bridge, however many wires of
// the other name meet at it, is one place. In the order found; nullopt when
// the search would look at more than a few million items (only a hostile
// file asks for that).
std::optional<std::vector<ShortPlace>>
shortPlaces(const Design& design, const std::vector<ItemRef>& members,
            const std::vector<std::optional<MemberName>>& names);

} // namespace dovla::model
