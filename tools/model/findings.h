#pragma once

#include <string>
#include <vector>

#include "design.h"

namespace dovla::model {

// What a design holds that its net list does not show, or shows in a way
// its author did not mean: the findings of `sheettool check`.
enum class FindingKind {
    LonelyPin,           // a pin in no net, or the only pin of its net
    PinLeftOut,          // a pin in a bus group, which the net list never shows
    OpenWireEnd,         // a wire end joined to nothing
    UnusedName,          // a label or tag in no net or bus group
    TwoNames,            // a net that carries two or more names
    PowerShort,          // a net that carries two or more power names
    OpenBusEntry,        // a bus entry whose ends touch no bus
    PinOnTwoNets,        // one reference and pin number on two nets
    UnknownPart,         // a part no library holds
    BadBlock,            // a block the part does not have
    ReferenceOnTwoParts, // one reference given to parts of two names
};

struct Finding {
    int sheet = 0;
    Point at; // sheet coordinates
    FindingKind kind = FindingKind::LonelyPin;
    std::string message;
};

// The findings in the order they are listed: by sheet, and within a sheet
// by kind, each kind in the order of the design's items.
std::vector<Finding> findingsOf(const Design& design);

// The kind's name in the JSON of the design, as "lonely-pin".
const char* findingName(FindingKind kind);

} // namespace dovla::model
