#include "connect/net_builder.h"

#include <string_view>
#include <unordered_map>

namespace dovla {

void NetBuilder::scanBus(SheetObject* bus) {
    // Both ends are scan points; the far end only when the length is a
    // multiple of the step.
    if (bus->y1 == bus->y2) {
        joinAtBusPoint(bus->x1, bus->y1, bus);
        for (std::int32_t x : rasterPointsWithEnds(true, bus->y1, bus->x1, bus->x2, true))
            joinAtBusPoint(x, bus->y1, bus);
    }
    if (bus->x1 == bus->x2) {
        joinAtBusPoint(bus->x1, bus->y1, bus);
        for (std::int32_t y : rasterPointsWithEnds(false, bus->x1, bus->y1, bus->y2, true))
            joinAtBusPoint(bus->x1, y, bus);
    }
}

void NetBuilder::joinAtBusPoint(std::int32_t x, std::int32_t y, SheetObject* bus) {
    PointSearch search(store_, x, y);
    while (SheetObject* p = search.next()) {
        if (p == bus)
            continue;
        bool join = false;
        if (p->kind == BusEntry)
            join = (p->attr & wireEntryBit) == 0 || p->net == nullptr;
        else if (p->kind == Bus)
            join = sameOrientation(*p, *bus);
        if (join) {
            markJoinedEnd(x, y, p);
            joinObjects(store_.busGroupRing(), bus, p);
        }
    }
}

void NetBuilder::markJoinedEnd(std::int32_t x, std::int32_t y, SheetObject* object) {
    if (x == object->x1 && y == object->y1)
        object->joined1 = 1;
    else
        object->joined2 = 1;
}

void NetBuilder::tagBusEnds(SheetObject* bus) {
    auto joinTagsAt = [&](std::int32_t x, std::int32_t y) {
        PointSearch search(store_, x, y);
        while (SheetObject* p = search.next()) {
            if (p != bus && p->kind == Tag && sameOrientation(*p, *bus))
                joinObjects(store_.busGroupRing(), bus, p);
        }
    };
    if (!bus->joined1)
        joinTagsAt(bus->x1, bus->y1);
    if (!bus->joined2)
        joinTagsAt(bus->x2, bus->y2);
}

SheetObject* NetBuilder::firstTag(RingNode* head) {
    for (RingNode* node = head->next; node != head; node = node->next) {
        auto* object = static_cast<SheetObject*>(node->data);
        if (object->kind == Tag)
            return object;
    }
    return nullptr;
}

// Every group whose first tag carries a name joins the earliest group whose
// first tag carries the same name, in ring order. A group's first tag never
// changes while this runs: the earliest group of a name only gains members
// behind its own, and every later one is emptied whole. So one pass with a
// table of earliest groups by name makes exactly the merges, in exactly the
// order, of comparing every pair.
void NetBuilder::joinByTagName(RingNode* ring) {
    std::unordered_map<std::string_view, SheetObject*> earliest;
    for (RingNode* node = ring->next; node != ring; node = node->next) {
        SheetObject* tag = firstTag(static_cast<RingNode*>(node->data));
        if (tag == nullptr)
            continue;
        auto [found, inserted] = earliest.try_emplace(std::string_view(tag->name), tag);
        if (!inserted)
            joinObjects(ring, found->second, tag);
    }
}

} // namespace dovla
