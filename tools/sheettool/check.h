#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sheettool.h"

namespace dovla::sheettool {

// What dovla32's options -p, -w<name> and -s set.
struct CheckOptions {
    bool implicitPowerNames = true;
    std::vector<std::string> powerNames;
    std::int32_t scanStep = 10;
};

// Builds the design's nets as dovla32 does, with the libraries that
// TAVEL.INI names, and lists what connects to nothing or names nothing, one
// line per finding with its sheet and sheet coordinates. Returns exitClean
// or exitFound; a damaged or missing file ends with FatalError.
int checkDesign(const std::string& sheetPath, const CheckOptions& options, std::string& out);

} // namespace dovla::sheettool
