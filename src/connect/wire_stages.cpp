#include "connect/net_builder.h"

namespace dovla {

void NetBuilder::joinWithLabel(SheetObject* object, SheetObject* label) {
    if (labelBelongsTo(*object, *label))
        joinObjects(store_.nets(), object, label);
}

bool NetBuilder::isFreeWireEntryEnd(std::int32_t x, std::int32_t y, const SheetObject* object) {
    if (object->kind != BusEntry || (object->attr & wireEntryBit) == 0)
        return false;
    if (x == object->x1 && y == object->y1)
        return object->joined1 == 0;
    return object->hasEnd2 && x == object->x2 && y == object->y2 && object->joined2 == 0;
}

void NetBuilder::joinAllEnds() {
    for (std::uint32_t i = 0; i < store_.objectCount(); ++i) {
        SheetObject* object = &store_.object(i);
        if (object->kind == Wire || object->kind == Tag) {
            if (object->hasEnd2)
                joinAtEnd(object->x2, object->y2, object);
            joinAtEnd(object->x1, object->y1, object);
        } else if (object->kind == Pin) {
            joinAtEnd(object->x1, object->y1, object);
        }
    }
}

// Where many ends meet, an end's rule joins it with everything of its
// orientation there, or with every wire, tag and pin there (when a junction
// is there or the other wire and pin ends share one direction), and with
// the labels of its orientation. Once an end has done so, all of these are
// in one group and stay together, since merges move whole groups; an end
// of the same orientation whose rule names no more than that is among them,
// so each of its joins would find both sides in one group already and
// change nothing. Such ends are passed over, and every point sees at most
// four full searches in this stage.
void NetBuilder::joinAtEnd(std::int32_t x, std::int32_t y, SheetObject* object) {
    const std::uint32_t point = store_.grid().findPoint(x, y);
    CrowdedPoint* crowded = crowded_.find(point);
    if (crowded == nullptr) {
        joinAtEndBySearch(x, y, point, object);
        return;
    }
    if (!crowded->endsKnown)
        learnEnds(*crowded, x, y);
    const int orientation = object->dir1 & 1;
    const bool all = crowded->junction || othersShareOneDirection(*crowded, x, y, object);
    if (crowded->settled[orientation][1] || crowded->settled[orientation][all])
        return;
    joinAtEndBySearch(x, y, point, object);
    crowded->settled[orientation][all] = true;
}

// At a point where several wire and pin ends meet, an end joins all of them
// when a junction is there or when all the others have one direction code;
// otherwise only those of its own orientation. Joins change no ends, so the
// second pass meets what the first met.
void NetBuilder::joinAtEndBySearch(std::int32_t x, std::int32_t y, std::uint32_t point,
                                   SheetObject* object) {
    int ends = 0;
    std::int8_t lastDirection = 0;
    bool junction = false;
    bool sameDirection = true;
    PointSearch search(store_, x, y, point);
    while (SheetObject* p = search.next()) {
        if (p == object)
            continue;
        if (p->kind == Wire || p->kind == Pin) {
            std::int8_t direction = directionAt(x, y, *p);
            if (ends > 0 && direction != lastDirection)
                sameDirection = false;
            lastDirection = direction;
            ++ends;
        } else if (p->kind == Junction) {
            junction = true;
        } else if (p->kind == Label) {
            joinWithLabel(object, p);
        }
    }
    search.restart();
    while (SheetObject* p = search.next()) {
        if (p == object || (p->kind != Wire && p->kind != Tag && p->kind != Pin))
            continue;
        if (junction || sameDirection || sameOrientation(*p, *object))
            joinObjects(store_.nets(), object, p);
    }
}

// Nothing is made or moved during this stage, so the counts hold for all
// of it. A search meets an object twice only at one direction, so whether
// the others share one direction shows in the counts of ends.
void NetBuilder::learnEnds(CrowdedPoint& point, std::int32_t x, std::int32_t y) {
    forEachEndAt(store_, x, y, [&](SheetObject* p) {
        if (p->kind == Wire || p->kind == Pin)
            ++point.directions[directionSlot(directionAt(x, y, *p))];
        else if (p->kind == Junction)
            point.junction = true;
    });
    point.endsKnown = true;
}

bool NetBuilder::othersShareOneDirection(const CrowdedPoint& point, std::int32_t x, std::int32_t y,
                                         const SheetObject* object) const {
    std::uint32_t counts[6];
    std::copy(std::begin(point.directions), std::end(point.directions), counts);
    if (object->kind == Wire || object->kind == Pin) {
        std::uint32_t own = (object->x1 == x && object->y1 == y) +
                            (object->hasEnd2 && object->x2 == x && object->y2 == y);
        counts[directionSlot(directionAt(x, y, *object))] -= own;
    }
    int directions = 0;
    for (std::uint32_t count : counts)
        directions += count != 0;
    return directions <= 1;
}

} // namespace dovla
