#pragma once

#include <string>

#include "design.h"

namespace dovla::model {

// Runs dovla32's stages on the sheet file, with the libraries of the
// TAVEL.INI that dovla32 would read and with the options given, and
// returns the design they make. A damaged or missing file ends with the
// readers' FatalError; so does exhausted memory.
Design loadDesign(const std::string& sheetPath, const Options& options);

} // namespace dovla::model
