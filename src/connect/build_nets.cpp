#include "connect/net_builder.h"

namespace dovla {

namespace {

// Bit 1 is set in the codes 2, 3 and 10; with buses and wires delivered end
// 1 first, that leaves out exactly those of zero length.
bool isScanned(const SheetObject& object, std::uint8_t kind) {
    return object.kind == kind && (object.dir1 & 2) == 0;
}

} // namespace

int NetBuilder::buildNets() {
    for (std::uint32_t i = 0; i < store_.objectCount(); ++i) {
        if (isScanned(store_.object(i), Bus))
            scanBus(&store_.object(i));
    }
    for (std::uint32_t i = 0; i < store_.objectCount(); ++i) {
        if (isScanned(store_.object(i), Bus))
            tagBusEnds(&store_.object(i));
    }
    joinByTagName(store_.busGroups());
    cutWires();
    joinAllEnds();
    joinBusWires();
    joinByTagName(store_.nets());
    joinPowerPins();
    return 0;
}

} // namespace dovla
