#pragma once

#include <string>

#include "design.h"
#include "design_diff.h"

// The review page of diff --html: one HTML file that draws both revisions
// of a design side by side and lists every line of the text report, each
// with what it names in either revision, to be shown on the drawings.
//
// Its data: {"oldName", "newName", "old": design, "new": design,
// "changes": [...]}, each design as the page of view has it (see
// view/page_data.h), and a change {"group", "kind", "text", "sheet" (-1:
// none), "at" ([x, y] or null), "old": names, "new": names}, its names
// {"parts", "nets", "pins"} being indices into that revision's lists and
// "lib" the library part whose every placed part it names ("" for none),
// "libPins" the numbers of that library part's pins it names.
// "group" is one of configuration, library, parts, nets and pins; "kind"
// changed, added (only the new revision has it) or removed.
namespace dovla::sheettool::review {

std::string reviewPage(const model::Design& oldDesign, const model::Design& newDesign,
                       const model::DesignDiff& diff, const std::string& oldName,
                       const std::string& newName);

} // namespace dovla::sheettool::review
