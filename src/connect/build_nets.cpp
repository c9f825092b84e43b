#include "connect/net_builder.h"

namespace dovla {

namespace {

// Bit 1 is set in the codes 2, 3 and 10; with buses and wires delivered end
// 1 first, that leaves out exactly those of zero length.
bool isScanned(const SheetObject& object, std::int32_t kind) {
    return object.kind == kind && (object.dir1 & 2) == 0;
}

} // namespace

int NetBuilder::buildNets() {
    RingNode* objects = store_.objectRing();
    for (RingNode* node = objects->next; node != objects; node = node->next) {
        auto* object = static_cast<SheetObject*>(node->data);
        if (isScanned(*object, Bus))
            scanBus(object);
    }
    for (RingNode* node = objects->next; node != objects; node = node->next) {
        auto* object = static_cast<SheetObject*>(node->data);
        if (isScanned(*object, Bus))
            tagBusEnds(object);
    }
    joinByTagName(store_.busGroupRing());
    // Splits append the rest of a wire to the object ring; this walk reaches
    // those pieces too, since they are inserted before the head.
    for (RingNode* node = objects->next; node != objects; node = node->next) {
        auto* object = static_cast<SheetObject*>(node->data);
        if (isScanned(*object, Wire))
            scanWire(object);
    }
    joinAllEnds();
    joinBusWires();
    joinByTagName(store_.netRing());
    joinPowerPins();
    return 0;
}

} // namespace dovla
