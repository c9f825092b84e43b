#pragma once

#include <string>
#include <vector>

#include "design.h"

// How the page names a placed part: on the drawing, in its lists and in
// its address.
namespace dovla::sheettool::view {

// A part as the long listing names it: its reference, and for a block of a
// part of several blocks the block and their count, "U1(3/4)". Empty for a
// part without a reference.
std::string blockName(const model::Part& part);

// The address of every placed part, in the design's part order, each
// different from every other: its block name where that names it alone,
// else its name (reference, else part name) and where it stands,
// "VCC@2:140,60", counted on, "~2", should even that repeat.
std::vector<std::string> partLinks(const model::Design& design);

} // namespace dovla::sheettool::view
