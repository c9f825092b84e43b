#pragma once

#include <string>
#include <vector>

#include "design.h"
#include "design_diff.h"

// The review page of diff --html: one HTML file that draws both revisions
// of a design side by side and lists every line of the text report, each
// with what it names in either revision, to be shown on the drawings.
//
// Its data: {"files": [...]}, a file {"path", "oldName", "newName", "old":
// design or null, "new": design or null, "changes": [...]}, each design as
// the page of view has it (see view/page_data.h), and a change {"group",
// "kind", "text", "sheet" (-1: none), "at" ([x, y] or null), "old": names,
// "new": names}, its names {"parts", "nets", "pins"} being indices into
// that revision's lists, "lib" the library part whose every placed part it
// names and "libPins" the numbers of that library part's pins it names,
// each left out where it names none. "group" is one of files, configuration, library, parts,
// nets and pins; "kind" changed, added (only the new revision has it) or
// removed. The changes are the report's lines but its headers.
namespace dovla::sheettool::review {

// A sheet file compared: both revisions' designs and what changed between
// them; a file that only one revision has, that revision's design and its
// line of the report ("sheet added: ...").
struct ReviewFile {
    std::string path, oldName, newName;
    const model::Design* oldDesign = nullptr;
    const model::Design* newDesign = nullptr;
    const model::DesignDiff* diff = nullptr;
    std::string fileLine; // a file that one revision has
};

std::string reviewPage(const std::vector<ReviewFile>& files, const std::string& title);

} // namespace dovla::sheettool::review
