#pragma once

#include <cstdint>
#include <cstring>

#include "connect/net_builder.h"
#include "report/excluded_names.h"

namespace dovla::testing {

// The net builder in its plainest form: the scans visit every raster point
// of a bus or wire, and the name joins compare every pair. The production
// builder skips points where nothing ends and finds equal names through
// tables; both must give the same store, object for object and member for
// member. The benchmark times it beside the production builder.
class ReferenceNetBuilder : public NetBuilder {
  public:
    using NetBuilder::NetBuilder;

    void scanBus(SheetObject* bus) override {
        const std::int32_t step = scanStep();
        if (bus->y1 == bus->y2)
            for (std::int32_t x = bus->x1; x <= bus->x2; x += step)
                joinAtBusPoint(x, bus->y1, bus);
        if (bus->x1 == bus->x2)
            for (std::int32_t y = bus->y1; y <= bus->y2; y += step)
                joinAtBusPoint(bus->x1, y, bus);
    }

    // The far end is read again before every point: a split shortens the
    // wire under the scan.
    void scanWire(SheetObject* wire) override {
        const std::int32_t step = scanStep();
        if (wire->y1 == wire->y2)
            for (std::int32_t x = wire->x1 + step; x < wire->x2; x += step)
                checkWirePoint(x, wire->y1, wire);
        if (wire->x1 == wire->x2)
            for (std::int32_t y = wire->y1 + step; y < wire->y2; y += step)
                checkWirePoint(wire->x1, y, wire);
    }

    void joinByTagName(RingNode* ring) override {
        for (RingNode* a = ring->next; a != ring; a = a->next) {
            SheetObject* tagA = firstTag(static_cast<RingNode*>(a->data));
            if (tagA == nullptr)
                continue;
            for (RingNode* b = a->next; b != ring; b = b->next) {
                SheetObject* tagB = firstTag(static_cast<RingNode*>(b->data));
                if (tagB != nullptr && std::strcmp(tagA->name, tagB->name) == 0)
                    joinObjects(ring, tagA, tagB);
            }
        }
    }

    void joinPowerPins() override {
        RingNode* objects = store().objectRing();
        for (RingNode* p = objects->next; p != objects; p = p->next) {
            auto* pinP = static_cast<SheetObject*>(p->data);
            if (pinP->kind != Pin || !excluded().isExcluded(pinP->name))
                continue;
            for (RingNode* q = p->next; q != objects; q = q->next) {
                auto* pinQ = static_cast<SheetObject*>(q->data);
                if (pinQ->kind == Pin && std::strcmp(pinQ->name, pinP->name) == 0)
                    joinObjects(store().netRing(), pinP, pinQ);
            }
        }
    }
};

} // namespace dovla::testing
