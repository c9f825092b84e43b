#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "design.h"

// How the page of `sheettool view` draws a design: which sheets there are
// to show, the paper and the extent of each, and the shapes that the
// design's values do not give directly (tag outlines, pin numbers, part
// bodies without a library). Coordinates are sheet coordinates; y grows
// downward, as on the editor's screen.
namespace dovla::sheettool::view {

// A rectangle of the sheet's plane. Wide enough for any coordinates a
// damaged file can give.
struct Box {
    std::int64_t minX = 0;
    std::int64_t minY = 0;
    std::int64_t maxX = 0;
    std::int64_t maxY = 0;
    bool operator==(const Box&) const = default;
};

// Sheet numbers run from 0 (the items before the first header) to 32.
constexpr int sheetSlots = 33;

// A sheet as the page shows it.
struct DrawnSheet {
    int number = 0; // 0: the items before the first sheet header
    Box paper;      // the sheet size; for sheet 0, its items' extent
    Box extent;     // what is drawn on it; the paper for an empty sheet
};

// The sheets to draw: sheet 0 first when anything lies on it, then every
// sheet of the file, empty ones included.
std::vector<DrawnSheet> drawnSheets(const model::Design& design);

// The outline of a tag, a flat list of x, y pairs: a hexagon around the
// line from `from` to `to`, `half` high above and below it, pointed at both
// ends where the tag connects.
constexpr std::int32_t tagHalfHeight = 8;
std::vector<std::int64_t> tagOutline(const model::Tag& tag, std::int32_t half = tagHalfHeight);

// How high each tag is drawn, half its height, in the order of the design's
// tags: tagHalfHeight, or less for a tag stacked closer than that to
// another on its sheet, so that their outlines stay apart (tags drawn
// every grid step are half as high).
std::vector<std::int32_t> tagHalfHeights(const model::Design& design);

// Where a pin's number is written: beside the middle of its line, above a
// horizontal pin and to the left of a vertical one; on the other side when
// `across`.
model::Point pinNumberAt(const model::Pin& pin, bool across = false);

// The text of a pin's number as the page writes it: "12", "B3".
std::string pinNumberText(const model::Pin& pin);

// Where every pin's number is written: a number that would overlap one
// written before it on its sheet (two pins meeting at one point) goes to
// the other side of its line.
std::vector<model::Point> pinNumberPlaces(const model::Design& design);

// The nets of the points where lines and pins end, -1 for none:
// `junctions` the net each junction joins, from what ends on it, in the
// order of the design's junctions; `entries` the net each bus entry carries
// into its bus group, its own, else that of what ends on it, in the order
// of the design's entries.
struct EndNets {
    std::vector<std::int64_t> junctions, entries;
};
EndNets endNets(const model::Design& design);

// The body of a part. A part that no library holds has no size; it is
// drawn as a square of this side ending at its origin.
Box bodyOf(const model::Part& part);
constexpr std::int32_t unknownBodySide = 20;

// The highlight of the page's selection, as its style sheet has it.
constexpr char highlightColor[] = "#ff1493";

} // namespace dovla::sheettool::view
