#pragma once

#include <string>

#include "design.h"
#include "export/kicad_plan.h"

namespace dovla::sheettool::kicad {

// The design's net list in KiCad's S-expression form (version "E", what
// KiCad's board editor imports), as KiCad writes it of the exported
// project: one component per reference, with its part name as value ("~"
// for none), the project's symbol and, for a part of several blocks, the
// blocks placed; one net per net with listed pins, named as in the project,
// its nodes in the net's order, each pin once. Power symbols and parts
// without a reference are left out, as KiCad leaves them out.
std::string netlistText(const model::Design& design, const Plan& plan, const std::string& library);

// Whether every part the net list holds has its pins in it: a part that its
// library does not draw has none.
bool netlistComplete(const model::Design& design, const Plan& plan);

} // namespace dovla::sheettool::kicad
