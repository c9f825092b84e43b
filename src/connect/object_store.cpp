#include "connect/object_store.h"

#include <cstring>

#include "driver/alloc_pool.h"
#include "driver/messages.h"

namespace dovla {

namespace {

void copyText(char (&field)[objectTextSize], const char* text) {
    std::size_t length = 0;
    while (length < objectTextSize - 1 && text[length] != '\0')
        ++length;
    std::memcpy(field, text, length);
    std::memset(field + length, 0, objectTextSize - length);
}

} // namespace

std::int32_t directionCode(std::int32_t xa, std::int32_t ya, std::int32_t xb, std::int32_t yb) {
    if (ya == yb) {
        if (xa == xb)
            return DirPoint;
        return xb > xa ? DirRight : DirLeft;
    }
    if (xa == xb)
        return yb > ya ? DirDown : DirUp;
    return DirOblique;
}

std::int32_t directionAt(std::int32_t x, std::int32_t y, const SheetObject& object) {
    return (x == object.x1 && y == object.y1) ? object.dir1 : object.dir2;
}

void ObjectStore::createPointGrid(std::int32_t width, std::int32_t height) {
    ringInit(&objectRing_);
    ringInit(&busGroupRing_);
    ringInit(&netRing_);
    grid_.create(pool_, width, height);
}

RingNode* ObjectStore::gridRegister(std::int32_t x, std::int32_t y, SheetObject* object) {
    return ringAppendNew(pool_, grid_.cellFor(x, y), object);
}

SheetObject* ObjectStore::addObject(std::int32_t kind, std::int32_t attr, std::int32_t x1,
                                    std::int32_t y1, std::int32_t x2, std::int32_t y2,
                                    SecondEnd secondEnd, const char* name, const char* text) {
    auto* object = static_cast<SheetObject*>(requireMemory(pool_.allocate(sizeof(SheetObject))));
    object->kind = kind;
    object->attr = attr;
    object->x1 = x1;
    object->y1 = y1;
    object->x2 = x2;
    object->y2 = y2;
    copyText(object->name, name);
    copyText(object->text, text != nullptr ? text : name);
    object->dir2 = DirOblique;
    object->joined1 = 0;
    object->joined2 = 0;
    object->node2 = nullptr;
    object->net = nullptr;
    object->hasEnd2 = secondEnd == SecondEnd::Present;
    std::int32_t targetX = x2;
    std::int32_t targetY = y2;
    if (object->hasEnd2) {
        object->dir2 = directionCode(x2, y2, x1, y1);
        object->node2 = gridRegister(x2, y2, object);
    } else {
        targetX = -x2;
        targetY = -y2;
    }
    object->dir1 = directionCode(x1, y1, targetX, targetY);
    gridRegister(x1, y1, object);
    ringAppendNew(pool_, &objectRing_, object);
    return object;
}

PointSearch::PointSearch(ObjectStore& store, std::int32_t x, std::int32_t y)
    : cell_(nullptr), node_(nullptr), x_(x), y_(y) {
    RingNode* cell = store.grid().existingCell(PointGrid::cellColumn(x), PointGrid::cellRow(y));
    if (cell != nullptr && cell->next != nullptr) {
        cell_ = cell;
        node_ = cell;
    }
}

SheetObject* PointSearch::next() {
    if (cell_ == nullptr)
        return nullptr;
    for (node_ = node_->next; node_ != cell_; node_ = node_->next) {
        auto* object = static_cast<SheetObject*>(node_->data);
        if (endsAt(*object, x_, y_))
            return object;
    }
    cell_ = nullptr;
    return nullptr;
}

} // namespace dovla
