#pragma once

#include <cstdint>

namespace dovla {

struct RingNode;

// Object kinds; each equals the type of the sheet record that creates it.
enum ObjectKind : std::int32_t {
    Junction = 0,
    BusEntry = 1,
    Bus = 2,
    Wire = 3,
    Label = 5,
    Tag = 6,
    Pin = 8,
};

// Direction codes from one point toward another.
enum DirectionCode : std::int32_t {
    DirRight = 0,
    DirDown = 1,
    DirLeft = 2,
    DirUp = 3,
    DirPoint = 10,
    DirOblique = 20,
};

// Attribute bits that the net builder reads.
constexpr std::int32_t wireEntryBit = 2;     // BusEntry: links wires to its bus
constexpr std::int32_t verticalLabelBit = 8; // Label: belongs to vertical wires

constexpr int objectTextSize = 80;

// One connectable item with one or two end points.
struct SheetObject {
    std::int32_t kind;
    std::int32_t attr;
    std::int32_t x1, y1;
    // For an object without end 2, (-x2, -y2) is only the point toward which
    // dir1 points; hasEnd2 says which, whatever the sign of x2.
    std::int32_t x2, y2;
    std::int32_t dir1;
    std::int32_t dir2;
    std::int32_t joined1;
    std::int32_t joined2;
    bool hasEnd2;
    char name[objectTextSize];
    char text[objectTextSize];
    RingNode* node2; // the grid node of end 2; none without end 2
    RingNode* net;   // head of the net or bus group; none until joined
};

// Whether an object's end 1 or end 2 lies at a point.
inline bool endsAt(const SheetObject& object, std::int32_t x, std::int32_t y) {
    return (object.x1 == x && object.y1 == y) ||
           (object.hasEnd2 && object.x2 == x && object.y2 == y);
}

// Odd dir1 is vertical; every other code counts as horizontal.
inline bool sameOrientation(const SheetObject& a, const SheetObject& b) {
    return ((a.dir1 ^ b.dir1) & 1) == 0;
}

std::int32_t directionCode(std::int32_t xa, std::int32_t ya, std::int32_t xb, std::int32_t yb);
std::int32_t directionAt(std::int32_t x, std::int32_t y, const SheetObject& object);

} // namespace dovla
