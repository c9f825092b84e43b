#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "design.h"

// KiCad makes a net list or a BOM only of a fully annotated schematic: every
// symbol a reference of its own, the units of one symbol sharing one. The
// editor lets two parts share a reference and leaves parts unannotated
// ("R?"), so the export gives such parts new references, numbered after the
// highest one in use for their prefix.
namespace dovla::sheettool::kicad {

// A part given a new reference: the first block of what KiCad sees as one
// symbol, with the reference it had and the one it has in KiCad.
struct Renumbering {
    std::uint32_t part = 0;
    std::string from; // the design's reference
    std::string to;
    bool unannotated = false; // "R?"; else another part has the reference
};

struct Annotation {
    // Per part of the design, its reference in KiCad (UTF-8); empty for
    // parts without a reference and for power symbols, which the plan names.
    std::vector<std::string> refs;
    std::vector<Renumbering> changes; // in the order of the parts
};

// A part of the design is one symbol with the parts of the same reference
// and library part placed before it, unless its block is among theirs
// already; the first symbol of a reference keeps it.
Annotation annotate(const model::Design& design);

// What the export says of a renumbering: "R? (RES, sheet 1) is R7 in KiCad:
// it had no number".
std::string renumberingText(const model::Design& design, const Renumbering& change);

} // namespace dovla::sheettool::kicad
