#pragma once

#include <string>
#include <vector>

#include "design.h"
#include "finding_kinds.h"

namespace dovla::model {

// What a design holds that its net list does not show, or shows in a way
// its author did not mean: the findings of `sheettool check`.
struct Finding {
    int sheet = 0;
    Point at; // sheet coordinates
    FindingKind kind = FindingKind::LonelyPin;
    std::string message;
    // What the finding is about, by names that a redraw keeps: pins as
    // R1.2, nets by key, names, references. With the kind, what a waiver
    // names; sets of names are sorted.
    std::vector<std::string> subjects;
    // The record of the sheet file that draws the item it points at.
    RecordSpan record;
};

// The findings in the order they are listed: by sheet, and within a sheet
// by kind, each kind in the order of the design's items.
std::vector<Finding> findingsOf(const Design& design);

// A finding's place as reports and waivers name it: "sheet 2 at 440,300".
void appendPlace(std::string& out, int sheet, Point at);

// The kind's name in the JSON of the design, as "lonely-pin".
const char* findingName(FindingKind kind);

} // namespace dovla::model
