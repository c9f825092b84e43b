#pragma once

#include <cstdint>

namespace dovla {

// Objects name their texts, groups and neighbours by 32-bit numbers, not
// pointers, so that one takes 48 bytes: designs hold hundreds of thousands.
using TextId = std::uint32_t;   // a text of the store's arena; 0 is the empty text
using GroupId = std::uint32_t;  // a net or bus group of the store, or noGroup
using ObjectId = std::uint32_t; // an object's place in creation order, or noObject
constexpr GroupId noGroup = 0;
constexpr ObjectId noObject = 0xFFFFFFFFu;

// Object kinds; each equals the type of the sheet record that creates it.
enum ObjectKind : std::uint8_t {
    Junction = 0,
    BusEntry = 1,
    Bus = 2,
    Wire = 3,
    Label = 5,
    Tag = 6,
    Pin = 8,
};

// Direction codes from one point toward another.
enum DirectionCode : std::int8_t {
    DirRight = 0,
    DirDown = 1,
    DirLeft = 2,
    DirUp = 3,
    DirPoint = 10,
    DirOblique = 20,
};

// Attribute bits that the net builder reads.
constexpr std::uint8_t wireEntryBit = 2;     // BusEntry: links wires to its bus
constexpr std::uint8_t verticalLabelBit = 8; // Label: belongs to vertical wires

// One connectable item with one or two end points, whose texts live in the
// store's text arena.
struct SheetObject {
    std::int32_t x1, y1;
    // For an object without end 2, (-x2, -y2) is only the point toward which
    // dir1 points; hasEnd2 says which, whatever the sign of x2.
    std::int32_t x2, y2;
    std::uint8_t kind;
    std::uint8_t attr;
    std::int8_t dir1;
    std::int8_t dir2;
    std::uint8_t joined1;
    std::uint8_t joined2;
    bool hasEnd2;
    std::uint8_t sheet; // 0 before the first sheet header, else 1 to 32
    // The point grid's records of end 1 and end 2 (none without end 2).
    std::uint32_t node1;
    std::uint32_t node2;
    TextId name;         // at most 79 characters
    TextId text;         // the same text as name unless the object has a text of its own
    GroupId net;         // the net or bus group; noGroup until joined
    ObjectId nextMember; // the next member of its group, or noObject
};
static_assert(sizeof(SheetObject) == 48);

// Whether an object's end 1 or end 2 lies at a point.
inline bool endsAt(const SheetObject& object, std::int32_t x, std::int32_t y) {
    return (object.x1 == x && object.y1 == y) ||
           (object.hasEnd2 && object.x2 == x && object.y2 == y);
}

// Odd dir1 is vertical; every other code counts as horizontal.
inline bool sameOrientation(const SheetObject& a, const SheetObject& b) {
    return ((a.dir1 ^ b.dir1) & 1) == 0;
}

std::int8_t directionCode(std::int32_t xa, std::int32_t ya, std::int32_t xb, std::int32_t yb);
std::int8_t directionAt(std::int32_t x, std::int32_t y, const SheetObject& object);

} // namespace dovla
