#include "connect/object_store.h"

#include <algorithm>
#include <cstring>

namespace dovla {

std::int8_t directionCode(std::int32_t xa, std::int32_t ya, std::int32_t xb, std::int32_t yb) {
    if (ya == yb) {
        if (xa == xb)
            return DirPoint;
        return xb > xa ? DirRight : DirLeft;
    }
    if (xa == xb)
        return yb > ya ? DirDown : DirUp;
    return DirOblique;
}

std::int8_t directionAt(std::int32_t x, std::int32_t y, const SheetObject& object) {
    return (x == object.x1 && y == object.y1) ? object.dir1 : object.dir2;
}

void ObjectStore::createPointGrid() {
    lastName_ = 0;
    objects_.clear();
    nets_.clear();
    busGroups_.clear();
    texts_.clear();
    grid_.clear();
}

SheetObject* ObjectStore::addObject(std::int32_t kind, std::int32_t attr, std::int32_t x1,
                                    std::int32_t y1, std::int32_t x2, std::int32_t y2,
                                    SecondEnd secondEnd, const char* name, const char* text,
                                    std::int32_t sheet) {
    const std::uint32_t index = objects_.size();
    SheetObject& object = objects_.append();
    object.kind = static_cast<std::uint8_t>(kind);
    object.attr = static_cast<std::uint8_t>(attr);
    object.x1 = x1;
    object.y1 = y1;
    object.x2 = x2;
    object.y2 = y2;
    // Objects made one after the other mostly share their name: the pins
    // of one part, the pieces of one wire. Such a name is stored once.
    if (std::strcmp(name, texts_.at(lastName_)) != 0)
        lastName_ = texts_.store(name);
    object.name = lastName_;
    object.text = text != nullptr ? texts_.store(text) : object.name;
    object.dir2 = DirOblique;
    object.joined1 = 0;
    object.joined2 = 0;
    object.sheet = static_cast<std::uint8_t>(sheet);
    object.net = noGroup;
    object.nextMember = noObject;
    object.hasEnd2 = secondEnd == SecondEnd::Present;
    std::int32_t targetX = x2;
    std::int32_t targetY = y2;
    if (object.hasEnd2) {
        object.dir2 = directionCode(x2, y2, x1, y1);
        object.node2 = grid_.registerEnd(x2, y2, index, object.kind);
    } else {
        object.node2 = PointGrid::none;
        targetX = -x2;
        targetY = -y2;
    }
    object.dir1 = directionCode(x1, y1, targetX, targetY);
    object.node1 = grid_.registerEnd(x1, y1, index, object.kind);
    return &object;
}

void ObjectStore::moveEnd2(SheetObject& object, std::int32_t x, std::int32_t y) {
    std::uint32_t index = grid_.node(object.node2).object;
    grid_.unregisterEnd(object.node2, object.x2, object.y2);
    object.x2 = x;
    object.y2 = y;
    object.node2 = grid_.registerEnd(x, y, index, object.kind);
}

ObjectId ObjectStore::appendPiece(ObjectId wire, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                  std::int32_t y2) {
    const ObjectId index = objects_.size();
    SheetObject& piece = objects_.append();
    piece = objects_[wire];
    piece.x1 = x1;
    piece.y1 = y1;
    piece.x2 = x2;
    piece.y2 = y2;
    piece.dir1 = directionCode(x1, y1, x2, y2);
    piece.dir2 = directionCode(x2, y2, x1, y1);
    piece.joined1 = 0;
    piece.joined2 = 0;
    piece.net = noGroup;
    piece.nextMember = noObject;
    piece.node1 = piece.node2 = PointGrid::none;
    return index;
}

void ObjectStore::registerEnd1(ObjectId piece) {
    SheetObject& object = objects_[piece];
    object.node1 = grid_.registerEnd(object.x1, object.y1, piece, object.kind);
}

void ObjectStore::registerEnd2(ObjectId piece) {
    SheetObject& object = objects_[piece];
    object.node2 = grid_.registerEnd(object.x2, object.y2, piece, object.kind);
}

PointSearch::PointSearch(ObjectStore& store, std::int32_t x, std::int32_t y)
    : PointSearch(store, x, y, store.grid().findPoint(x, y)) {}

// The ends registered at the point come in registration order. An object
// whose other end lies elsewhere in the same search cell is met again at
// the place of that end's registration, which may come before or after.
PointSearch::PointSearch(ObjectStore& store, std::int32_t x, std::int32_t y, std::uint32_t point) {
    const PointGrid& grid = store.grid();
    if (point == PointGrid::none || grid.point(point).first == PointGrid::none)
        return;
    const std::uint32_t first = grid.point(point).first;
    bool elsewhereInCell = false;
    std::uint32_t node = first;
    do {
        SheetObject* object = &store.object(grid.node(node).object);
        add(node, object);
        if (object->hasEnd2) {
            bool atEnd1 = node == object->node1;
            std::int32_t otherX = atEnd1 ? object->x2 : object->x1;
            std::int32_t otherY = atEnd1 ? object->y2 : object->y1;
            if ((otherX != x || otherY != y) && PointGrid::sameSearchCell(x, y, otherX, otherY)) {
                add(atEnd1 ? object->node2 : object->node1, object);
                elsewhereInCell = true;
            }
        }
        node = grid.node(node).next;
    } while (node != first);
    if (elsewhereInCell)
        std::sort(found_, found_ + count_,
                  [](const Found& a, const Found& b) { return a.node < b.node; });
}

void PointSearch::addBeyondInlineRoom(std::uint32_t node, SheetObject* object) {
    if (found_ == inline_)
        more_.assign(inline_, inline_ + inlineRoom);
    more_.push_back({node, object});
    found_ = more_.data();
    ++count_;
}

} // namespace dovla
