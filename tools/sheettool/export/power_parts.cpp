#include "export/power_parts.h"

namespace dovla::sheettool::kicad {

bool isPowerPart(const model::Design& design, const model::Part& part) {
    if (!part.ref.empty() || !part.pinsPlaced || part.pins.empty())
        return false;
    // Whether a pin is listed depends on its part's name alone.
    const model::Pin& first = design.pins[part.pins[0]];
    if (first.listed)
        return false;
    return part.pins.size() == 1 || first.group.kind == model::GroupRef::Net;
}

} // namespace dovla::sheettool::kicad
