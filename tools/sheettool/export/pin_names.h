#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "design.h"

namespace dovla::sheettool::kicad {

// The text size of each pin's name inside a symbol's body (KiCad internal
// units): KiCad's 1.27 mm where there is room, smaller where the names of
// pins on opposite sides, or of pins on sides that meet at a corner, would
// run into each other. `names` are the names drawn, in the symbol's pin
// order; "~" draws none.
std::vector<std::int64_t> pinNameSizes(const model::Symbol& symbol,
                                       const std::vector<std::string>& names);

} // namespace dovla::sheettool::kicad
