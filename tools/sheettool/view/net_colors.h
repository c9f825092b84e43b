#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "design.h"
#include "view_geometry.h"

// The colours of the nets on the page's sheets. A net has one colour on
// every sheet and in the page's lists, chosen so that nets whose lines run
// close to each other on any sheet never share one while the palette has a
// colour to spare: the nets take, in the design's net order, the first
// colour of the palette that no neighbour already has. Nets of a power name
// keep fixed colours. The same design always gets the same colours.
namespace dovla::sheettool::view {

// Twelve colours told apart at a glance on the paper, dark enough for thin
// lines, the most distinct first; none pink (the highlight) or grey (no
// net), nor a power colour.
inline constexpr const char* netPalette[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#9467bd",
                                             "#8c564b", "#17becf", "#a8a820", "#393b79",
                                             "#bd5b00", "#0b8f6f", "#637939", "#6b6ecf"};
inline constexpr char supplyColor[] = "#d00000";
inline constexpr char groundColor[] = "#202020";

// Lines of two nets nearer than this (in drawing units: five grid steps)
// make the nets neighbours.
constexpr std::int32_t neighbourReach = 50;

// Per drawn sheet, in the order of `sheets`: each net that has a line
// there, with its colour, by ascending net.
using SheetColors = std::vector<std::pair<std::uint32_t, std::string>>;
std::vector<SheetColors> colorNets(const model::Design& design,
                                   const std::vector<DrawnSheet>& sheets);

} // namespace dovla::sheettool::view
