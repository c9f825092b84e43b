#include "export/kicad_plan.h"
#include "export/kicad_page.h"
#include "export/kicad_planner.h"
#include "export/kicad_text.h"

namespace dovla::sheettool::kicad {

std::string undrawnPartWarning(const model::Part& part, const std::string& consequence) {
    return "part " + (part.ref.empty() ? part.name : part.ref) + " " + part.libName +
           (part.found ? ": its block is not in the library" : ": no library holds it") + "; " +
           consequence;
}

KPoint kpoint(model::Point at) {
    return {at.x * unitIU, at.y * unitIU};
}

namespace planning {

Plan Planner::run() {
    plan_.annotation = annotate(design_);
    sheets();
    owners();
    names();
    lines();
    symbols();
    segmentIndex();
    junctions();
    labels();
    tags();
    wireEnds();
    entries();
    joinPieces();
    powerFlags();
    fields();
    placeOnPages(design_, plan_);
    return std::move(plan_);
}

} // namespace planning

Plan planKicad(const model::Design& design) {
    return planning::Planner(design).run();
}

} // namespace dovla::sheettool::kicad
