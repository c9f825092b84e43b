#include "connect/net_builder.h"

#include "driver/alloc_pool.h"

namespace dovla {

// Only interior raster points are visited. A split ends the wire at the
// point just visited, so the scan stops there; the rest of the wire is a new
// wire at the end of the object ring, scanned later from the split point.
void NetBuilder::scanWire(SheetObject* wire) {
    if (wire->y1 == wire->y2) {
        for (std::int32_t x : rasterPointsWithEnds(true, wire->y1, wire->x1, wire->x2, false)) {
            if (x >= wire->x2)
                break;
            checkWirePoint(x, wire->y1, wire);
        }
    }
    if (wire->x1 == wire->x2) {
        for (std::int32_t y : rasterPointsWithEnds(false, wire->x1, wire->y1, wire->y2, false)) {
            if (y >= wire->y2)
                break;
            checkWirePoint(wire->x1, y, wire);
        }
    }
}

void NetBuilder::checkWirePoint(std::int32_t x, std::int32_t y, SheetObject* wire) {
    bool split = false;
    PointSearch search(store_, x, y);
    while (SheetObject* p = search.next()) {
        if (p == wire)
            continue;
        if (p->kind == Junction || p->kind == Wire || p->kind == Tag || p->kind == Pin)
            split = true;
        else if (isFreeWireEntryEnd(x, y, p))
            split = true;
        if (p->kind == Label && labelBelongsTo(*wire, *p))
            joinObjects(store_.netRing(), wire, p);
    }
    if (split)
        splitWire(x, y, wire);
}

bool NetBuilder::isFreeWireEntryEnd(std::int32_t x, std::int32_t y, const SheetObject* object) {
    if (object->kind != BusEntry || (object->attr & wireEntryBit) == 0)
        return false;
    if (x == object->x1 && y == object->y1)
        return object->joined1 == 0;
    return object->hasEnd2 && x == object->x2 && y == object->y2 && object->joined2 == 0;
}

void NetBuilder::splitWire(std::int32_t x, std::int32_t y, SheetObject* wire) {
    std::int32_t oldX2 = wire->x2;
    std::int32_t oldY2 = wire->y2;
    wire->x2 = x;
    wire->y2 = y;
    ringUnlink(wire->node2);
    store_.pool().release(wire->node2);
    wire->node2 = store_.gridRegister(x, y, wire);
    store_.addObject(Wire, wire->attr, x, y, oldX2, oldY2, SecondEnd::Present, wire->name,
                     wire->text);
}

void NetBuilder::joinAllEnds() {
    RingNode* objects = store_.objectRing();
    for (RingNode* node = objects->next; node != objects; node = node->next) {
        auto* object = static_cast<SheetObject*>(node->data);
        if (object->kind == Wire || object->kind == Tag) {
            if (object->hasEnd2)
                joinAtEnd(object->x2, object->y2, object);
            joinAtEnd(object->x1, object->y1, object);
        } else if (object->kind == Pin) {
            joinAtEnd(object->x1, object->y1, object);
        }
    }
}

// At a point where several wire and pin ends meet, an end joins all of them
// when a junction is there or when all the others have one direction code;
// otherwise only those of its own orientation.
void NetBuilder::joinAtEnd(std::int32_t x, std::int32_t y, SheetObject* object) {
    int ends = 0;
    std::int32_t lastDirection = 0;
    bool junction = false;
    bool sameDirection = true;
    PointSearch first(store_, x, y);
    while (SheetObject* p = first.next()) {
        if (p == object)
            continue;
        if (p->kind == Wire || p->kind == Pin) {
            std::int32_t direction = directionAt(x, y, *p);
            if (ends > 0 && direction != lastDirection)
                sameDirection = false;
            lastDirection = direction;
            ++ends;
        } else if (p->kind == Junction) {
            junction = true;
        } else if (p->kind == Label && labelBelongsTo(*object, *p)) {
            joinObjects(store_.netRing(), object, p);
        }
    }
    PointSearch second(store_, x, y);
    while (SheetObject* p = second.next()) {
        if (p == object || (p->kind != Wire && p->kind != Tag && p->kind != Pin))
            continue;
        if (junction || sameDirection || sameOrientation(*p, *object))
            joinObjects(store_.netRing(), object, p);
    }
}

} // namespace dovla
