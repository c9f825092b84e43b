#include <string_view>
#include <unordered_map>

#include "connect/net_builder.h"

namespace dovla {

void NetBuilder::scanBus(SheetObject* bus) {
    // Both ends are scan points; the far end only when the length is a
    // multiple of the step.
    const PointGrid& grid = store_.grid();
    if (bus->y1 == bus->y2) {
        joinAtBusPoint(bus->x1, bus->y1, grid.findPoint(bus->x1, bus->y1), bus);
        forEachRasterPoint(true, bus->y1, bus->x1, bus->x2, true,
                           [&](std::int32_t x, std::uint32_t point) {
                               joinAtBusPoint(x, bus->y1, point, bus);
                               return true;
                           });
    }
    if (bus->x1 == bus->x2) {
        joinAtBusPoint(bus->x1, bus->y1, grid.findPoint(bus->x1, bus->y1), bus);
        forEachRasterPoint(false, bus->x1, bus->y1, bus->y2, true,
                           [&](std::int32_t y, std::uint32_t point) {
                               joinAtBusPoint(bus->x1, y, point, bus);
                               return true;
                           });
    }
}

// Where many ends meet, a bus joins everything its rule names there and
// marks it; once a bus of one orientation has done so, all of that is in
// one group and stays together (merges move whole groups), and every wire
// entry there has a group. A later bus of that orientation then names the
// same objects, less itself: all are marked but the bus that visited last
// (no bus marks itself), and all are in one group with it. Its visit comes
// to marking that bus and one join with any of them, the rest of its joins
// finding both sides in one group already.
void NetBuilder::joinAtBusPoint(std::int32_t x, std::int32_t y, std::uint32_t point,
                                SheetObject* bus) {
    CrowdedPoint* crowded = crowded_.find(point);
    if (crowded == nullptr) {
        joinAtBusPointBySearch(x, y, point, bus);
        return;
    }
    const int orientation = bus->dir1 & 1;
    if (crowded->busVisited[orientation]) {
        joinAtBusPointVisited(x, y, *crowded, bus);
        return;
    }
    joinAtBusPointBySearch(x, y, point, bus);
    if (!crowded->busTargetsKnown)
        learnBusTargets(*crowded, x, y);
    crowded->busVisited[orientation] = true;
    crowded->lastBus[orientation] = bus;
}

void NetBuilder::joinAtBusPointVisited(std::int32_t x, std::int32_t y, CrowdedPoint& point,
                                       SheetObject* bus) {
    const int orientation = bus->dir1 & 1;
    SheetObject* last = point.lastBus[orientation];
    point.lastBus[orientation] = bus;
    SheetObject* target = nullptr;
    for (SheetObject* candidate : point.busTargets[orientation]) {
        if (candidate != bus) {
            target = candidate;
            break;
        }
    }
    if (target == nullptr)
        return;
    if (last != bus && endsAt(*last, x, y))
        markJoinedEnd(x, y, last);
    joinObjects(store_.busGroups(), bus, target);
}

void NetBuilder::joinAtBusPointBySearch(std::int32_t x, std::int32_t y, std::uint32_t point,
                                        SheetObject* bus) {
    PointSearch search(store_, x, y, point);
    while (SheetObject* p = search.next()) {
        if (p == bus)
            continue;
        bool join = false;
        if (p->kind == BusEntry)
            join = (p->attr & wireEntryBit) == 0 || p->net == noGroup;
        else if (p->kind == Bus)
            join = sameOrientation(*p, *bus);
        if (join) {
            markJoinedEnd(x, y, p);
            joinObjects(store_.busGroups(), bus, p);
        }
    }
}

// Nothing is made or moved while the buses are scanned.
void NetBuilder::learnBusTargets(CrowdedPoint& point, std::int32_t x, std::int32_t y) {
    PointSearch search(store_, x, y);
    while (SheetObject* p = search.next()) {
        if (p->kind == BusEntry && (p->attr & wireEntryBit) == 0) {
            point.busTargets[0].push_back(p);
            point.busTargets[1].push_back(p);
        } else if (p->kind == Bus) {
            point.busTargets[p->dir1 & 1].push_back(p);
        }
    }
    point.busTargetsKnown = true;
}

void NetBuilder::markJoinedEnd(std::int32_t x, std::int32_t y, SheetObject* object) {
    if (x == object->x1 && y == object->y1)
        object->joined1 = 1;
    else
        object->joined2 = 1;
}

void NetBuilder::tagBusEnds(SheetObject* bus) {
    if (!bus->joined1)
        joinTagsAt(bus->x1, bus->y1, bus);
    if (!bus->joined2)
        joinTagsAt(bus->x2, bus->y2, bus);
}

// Where many ends meet, the first bus end of an orientation to take the
// tags there puts them all in one group with itself; a later one joins that
// group with its first join, and its other joins change nothing.
void NetBuilder::joinTagsAt(std::int32_t x, std::int32_t y, SheetObject* bus) {
    const std::uint32_t point = store_.grid().findPoint(x, y);
    CrowdedPoint* crowded = crowded_.find(point);
    const int orientation = bus->dir1 & 1;
    if (crowded != nullptr && crowded->tagsJoined[orientation]) {
        if (SheetObject* tag = crowded->firstTag[orientation])
            joinObjects(store_.busGroups(), bus, tag);
        return;
    }
    PointSearch search(store_, x, y, point);
    while (SheetObject* p = search.next()) {
        if (p != bus && p->kind == Tag && sameOrientation(*p, *bus))
            joinObjects(store_.busGroups(), bus, p);
    }
    if (crowded != nullptr) {
        if (!crowded->tagsKnown)
            learnTags(*crowded, x, y);
        crowded->tagsJoined[orientation] = true;
    }
}

void NetBuilder::learnTags(CrowdedPoint& point, std::int32_t x, std::int32_t y) {
    forEachEndAt(store_, x, y, [&](SheetObject* p) {
        if (p->kind == Tag && point.firstTag[p->dir1 & 1] == nullptr)
            point.firstTag[p->dir1 & 1] = p;
    });
    point.tagsKnown = true;
}

SheetObject* NetBuilder::firstTag(const Group& group) {
    return findMember(store_, group, [](const SheetObject& member) { return member.kind == Tag; });
}

// Every group whose first tag carries a name joins the earliest group whose
// first tag carries the same name, in ring order. A group's first tag never
// changes while this runs: the earliest group of a name only gains members
// behind its own, and every later one is emptied whole. So one pass with a
// table of earliest groups by name makes exactly the merges, in exactly the
// order, of comparing every pair.
void NetBuilder::joinByTagName(GroupList& ring) {
    std::unordered_map<std::string_view, SheetObject*> earliest;
    for (std::uint32_t i = 0; i < ring.size(); ++i) {
        SheetObject* tag = firstTag(ring[i]);
        if (tag == nullptr)
            continue;
        auto [found, inserted] =
            earliest.try_emplace(std::string_view(store_.text(tag->name)), tag);
        if (!inserted)
            joinObjects(ring, found->second, tag);
    }
}

} // namespace dovla
