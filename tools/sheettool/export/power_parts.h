#pragma once

#include "design.h"

namespace dovla::sheettool::kicad {

// A part is drawn as a power symbol when it has no reference (one that has
// is a part of the design, whatever its name) and its pins are power pins (its name
// is a power name) of one net: dovla32 joins it by its name, as KiCad joins
// power symbols. Power pins of one name are joined into one group, so the
// pins of such a part are all in one net, or all in a bus group (through a
// tag of a bus), which is no net; a single pin may be in none.
bool isPowerPart(const model::Design& design, const model::Part& part);

} // namespace dovla::sheettool::kicad
