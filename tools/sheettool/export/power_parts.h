#pragma once

#include "design.h"

namespace dovla::sheettool::kicad {

// A part is drawn as a power symbol when all its pins are power pins of one
// net: dovla32 joins it by its name, as KiCad joins power symbols. A pin in
// no net (or only in a bus group) stands alone, so of parts whose pins are
// in no net only those of a single pin count.
bool isPowerPart(const model::Design& design, const model::Part& part);

} // namespace dovla::sheettool::kicad
