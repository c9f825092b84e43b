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

std::pair<std::int64_t, std::int64_t> fieldSpan(const std::string& text, KPoint at,
                                                Fields::Justify justify) {
    std::int64_t width = static_cast<std::int64_t>(text.size()) * 12700;
    std::int64_t left = justify == Fields::Left    ? at.x
                        : justify == Fields::Right ? at.x - width
                                                   : at.x - width / 2;
    return {left, left + width};
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
