#pragma once

#include <string>
#include <vector>

#include "design_arguments.h"

namespace dovla::sheettool {

// diff --git OLD [NEW] [SHEET...]: each sheet compared as it was at OLD
// and at NEW (the work tree when NEW is left out), each side read with its
// own revision's TAVEL.INI and libraries. Without sheets every file that
// reads as a sheet at either revision is compared. The words are the
// command line's after --git; with `html` the report is the review page of
// every sheet. Returns the exit status.
int diffRevisions(const std::vector<std::string>& words, const DesignArguments& arguments,
                  bool html);

} // namespace dovla::sheettool
