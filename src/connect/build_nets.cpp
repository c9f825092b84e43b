#include "connect/net_builder.h"

namespace dovla {

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
