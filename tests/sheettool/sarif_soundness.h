#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace dovla::sheettool::testing {

// What is wrong with a SARIF log of check on the sheet file at sheetPath:
// the validator's errors by the rules of SARIF 2.1.0 and of the most used
// review service, two results that share a fingerprint, and results whose
// byte region is not a whole record of the sheet file that draws an item
// at the result's place. Empty for a sound log.
std::vector<std::string> sarifFaults(dovla::testing::TempDir& dir, const std::string& log,
                                     const std::string& sheetPath);

} // namespace dovla::sheettool::testing
