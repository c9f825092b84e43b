#pragma once

#include <string>

#include "design.h"
#include "export/kicad_plan.h"

namespace dovla::sheettool::kicad {

// The design's net list in KiCad's S-expression form (version "E", what
// KiCad's board editor imports): one component per reference, with its
// part name as value, its library part and, for a part of several blocks,
// the blocks placed; one net per net with listed pins, named as in the
// exported project, its nodes in the net's order.
std::string netlistText(const model::Design& design, const Plan& plan, const std::string& library);

} // namespace dovla::sheettool::kicad
