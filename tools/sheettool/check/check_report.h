#pragma once

#include <cstdio>
#include <string>

#include "check_result.h"
#include "design.h"

namespace dovla::sheettool {

// The report of a check run as text: a line for each finding that is not
// waived and for each stale waiver, then a closing line that counts them
// by level, counts the waived, and names the checks ignored and the level
// the run fails at, so that a short report is never mistaken for a clean
// design.
std::string checkText(const model::Design& design, const CheckResult& result);

// The same as JSON (docs/sheettool-json.md), the waived findings included.
std::string checkJson(const model::Design& design, const CheckResult& result);

// The same as a SARIF 2.1.0 log, the format that code review services show
// on a change: one rule for each check, one result for each finding and
// stale waiver, waived findings as suppressed results. Written to the file
// as it is made; false when a byte could not be written.
bool writeCheckSarif(std::FILE* file, const model::Design& design, const CheckResult& result);

} // namespace dovla::sheettool
