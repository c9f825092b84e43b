#pragma once

#include <functional>
#include <string>
#include <vector>

#include "design.h"
#include "findings.h"

// The design as the page's script reads it: one JSON object, made for
// drawing rather than for other programs (those read `nets --json`).
//
//   {"title": ..., "sheets": [...], "nets": [...], "parts": [...],
//    "pins": [...], "busGroups": [...], "findings": [...]}
//
// A sheet: {"number", "paper": box, "extent": box, "items"}, the items
// being the text of a JSON object that holds them as rows of numbers: "wires": [x1, y1, x2, y2,
// net], "buses": [x1, y1, x2, y2, bus group], "entries": [x1, y1, x2, y2, net, bus group],
// "junctions": [x, y, net], "labels": [x, y, text, net, vertical, bus group], "tags": [outline, x,
// y, text, net, bus group, half height], "parts": [part, box..., found], "pins": [pin, x1, y1, x2,
// y2, numberX, numberY, net], and "colors": [net, "#rrggbb", ...], the colour of each net drawn
// there, a box being minX, minY, maxX, maxY. A net or bus group is an index into "nets" or
// "busGroups", or -1 for none. A net: {"key", "names", "color" (in the lists; "" for a net without
// lines), "pins", "sheets"}; a part: {"ref", "label" (with its block), "link" (its address,
// unique), "name", "lib", "found", "power" (a power symbol), "sheet", "block", "blocks", "pins"}; a
// pin: [key, text, number, sheet, part, net, name]; a bus group: [sheets, nets crossing it]; a
// finding: {"sheet", "at", "kind", "severity", "message"}. Texts are the files' bytes, each
// standing as the character of its code.
namespace dovla::sheettool::view {

// What a page reads its parts for: view's page lists them and gives each
// an address; diff's review page only draws them and tells their pins, so
// its parts are {"label", "name", "lib", "power", "sheet", "pins"}.
enum class PageUse { View, Review };

// Takes the data made so far, in order, whenever a good piece of it is made;
// what it took is gone from the text.
using HandOn = std::function<void(std::string& piece)>;

// The page's data. With handOn, most of it is handed on as it is made and
// only the rest is returned, so that a large design's data never stands
// whole in memory.
std::string pageData(const model::Design& design, const std::vector<model::Finding>& findings,
                     const std::string& title, PageUse use = PageUse::View,
                     const HandOn& handOn = {});

} // namespace dovla::sheettool::view
