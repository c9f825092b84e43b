#pragma once

#include <map>
#include <string>

#include "design.h"
#include "export/kicad_plan.h"

// A KiCad 6 project of a design: the project file, a root schematic with one
// sheet symbol per sheet, a schematic per sheet, the symbol library of the
// parts used and the table that names it.
namespace dovla::sheettool::kicad {

// The project's files by name, all named after `stem` ("demo"): demo.kicad_pro,
// demo.kicad_sch, demo-sheet1.kicad_sch, ..., demo.kicad_sym, sym-lib-table.
std::map<std::string, std::string> projectFiles(const model::Design& design, const Plan& plan,
                                                const std::string& stem);

} // namespace dovla::sheettool::kicad
