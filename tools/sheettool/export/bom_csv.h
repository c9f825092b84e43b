#pragma once

#include <string>

#include "design.h"
#include "export/annotation.h"

namespace dovla::sheettool::kicad {

// The bill of materials as CSV (RFC 4180, lines ending CR LF, UTF-8 with
// each byte of the files as the character of its code): a heading, then one
// line per library part and part name, ordered by them, with the quantity
// and the references KiCad gives the parts in natural order ("R2" before
// "R10"). A part of several blocks counts once per reference; parts without
// a reference count one each. Power symbols are no parts and are left out.
std::string bomCsv(const model::Design& design, const Annotation& annotation);

} // namespace dovla::sheettool::kicad
