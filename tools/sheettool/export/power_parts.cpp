#include "export/power_parts.h"

namespace dovla::sheettool::kicad {

bool isPowerPart(const model::Design& design, const model::Part& part) {
    if (!part.pinsPlaced || part.pins.empty())
        return false;
    const model::GroupRef first = design.pins[part.pins[0]].group;
    for (std::uint32_t pin : part.pins) {
        if (design.pins[pin].listed)
            return false;
        if (pin != part.pins[0] &&
            (first.kind != model::GroupRef::Net || !(design.pins[pin].group == first)))
            return false;
    }
    return true;
}

} // namespace dovla::sheettool::kicad
