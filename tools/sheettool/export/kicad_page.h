#pragma once

#include "design.h"
#include "export/kicad_plan.h"

// Each sheet on its paper: the smallest standard size that holds what the
// sheet draws with a margin, the drawing moved inside the frame and clear
// of the title block in the bottom right corner.
namespace dovla::sheettool::kicad {

// Moves every item the plan draws on a sheet by that sheet's offset and
// sets the sheet's page. The offset is a whole number of inches, so that
// the drawing stays on KiCad's grid and a small change of the design rarely
// moves the whole sheet.
void placeOnPages(const model::Design& design, Plan& plan);

} // namespace dovla::sheettool::kicad
