#pragma once

#include <string>
#include <vector>

#include "design.h"
#include "findings.h"

// The design as the page's script reads it: one JSON object, made for
// drawing rather than for other programs (those read `nets --json`).
//
//   {"title": ..., "sheets": [...], "nets": [...], "parts": [...],
//    "pins": [...], "findings": [...]}
//
// A sheet: {"number", "paper": box, "extent": box, and its items as rows
// of numbers: "wires", "buses", "entries": [x1, y1, x2, y2, net],
// "junctions": [x, y], "labels": [x, y, text, net, vertical],
// "tags": [outline, x, y, text, net], "parts": [part, box..., found],
// "pins": [pin, x1, y1, x2, y2, numberX, numberY, net]}, a box being
// minX, minY, maxX, maxY. A net is an index into "nets", or -1 for none.
// A net: {"key", "names", "color", "pins", "sheets"}; a part: {"ref",
// "name", "lib", "found", "sheet", "block", "blocks", "pins"}; a pin:
// [key, text, number, sheet, part, net]; a finding: {"sheet", "at",
// "kind", "message"}. Texts are the files' bytes, each standing as
// the character of its code.
namespace dovla::sheettool::view {

std::string pageData(const model::Design& design, const std::vector<model::Finding>& findings,
                     const std::string& title);

} // namespace dovla::sheettool::view
