#pragma once

#include <string>
#include <vector>

#include "design.h"

namespace dovla::sheettool {

// Finds the TAVEL.INI that a command reads its libraries from, the same
// way for every command: the one named with --config; else the one in the
// current folder; else the one beside a sheet file, in the order given;
// else the one beside the program. The options then name it (they stay
// empty where dovla32's own search finds the same file, so that its
// library paths are read as dovla32 reads them). False, with the message
// written, when a named one cannot be read or none is found; with
// --no-libraries none is looked for.
bool chooseConfiguration(const std::vector<std::string>& sheets, model::Options& options);
// The same, with the message returned rather than written: empty when the
// choice was made.
std::string configurationTrouble(const std::vector<std::string>& sheets, model::Options& options);

} // namespace dovla::sheettool
