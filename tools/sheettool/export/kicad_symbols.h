#pragma once

#include <string>
#include <string_view>

#include "design.h"
#include "export/kicad_plan.h"

// Library symbols in KiCad's form, the same in the project's symbol library
// and in the copies each sheet keeps.
namespace dovla::sheettool::kicad {

// A name KiCad takes as a library or symbol name: letters, digits and
// "-_.+" kept, every other character '_'.
std::string idText(const std::string& bytes);

// Whether a power name is a ground's (GND, AGND, VSS, 0V…), drawn with the
// ground sign rather than a supply's bar.
bool isGroundName(std::string_view name);

// The symbol's S-expression, named `id` ("RES" in the library, "demo:RES"
// in a sheet), each line indented by `indent` blanks.
std::string symbolText(const model::Design& design, const SymbolUse& use, const std::string& id,
                       int indent);

// Where a point of a symbol, in the part's own units (y downward, the
// origin at the body's corner of greatest x and y), lands on the sheet.
KPoint placedPoint(const PlacedSymbol& placed, std::int64_t u, std::int64_t v);

} // namespace dovla::sheettool::kicad
