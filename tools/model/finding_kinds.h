#pragma once

#include <optional>
#include <string_view>
#include <vector>

// The checks of `sheettool check`: what each finds, its name in reports
// and waivers, and how grave it is unless the user says otherwise.
namespace dovla::model {

// In the order the findings of one sheet are listed.
enum class FindingKind {
    LonelyPin,           // a pin in no net
    SinglePinNet,        // the only pin of its net
    PinLeftOut,          // a pin in a bus group, which the net list never shows
    OpenWireEnd,         // a wire end joined to nothing
    WireOnBus,           // a wire end on a bus, without a bus entry
    UnusedName,          // a label or tag in no net or bus group
    NameUsedOnce,        // a label or tag whose name joins nothing
    TwoNames,            // a net that carries two or more names
    NameOnSeparateNets,  // one name on nets that stay apart
    PowerShort,          // a net that carries two or more power names
    OpenBusEntry,        // a bus entry whose ends touch no bus
    PinOnTwoNets,        // one reference and pin number on two nets
    UnknownPart,         // a part no library holds
    BadBlock,            // a block the part does not have
    ReferenceOnTwoParts, // one reference given to parts of two names
    UnusedBlocks,        // blocks of a multi-block part that are not placed
    StaleWaiver,         // a waiver that matches no finding
};

// Ordered from the gravest: a level at or above another compares less.
enum class Severity { Error, Warning, Info };

struct CheckType {
    FindingKind kind;
    const char* id; // as "lonely-pin"
    Severity severity;
    const char* description;
};

// Every check, in the order of FindingKind.
const std::vector<CheckType>& checkTypes();
const CheckType& checkType(FindingKind kind);
std::optional<FindingKind> findingKindNamed(std::string_view id);

const char* severityName(Severity severity); // "error", "warning", "info"
std::optional<Severity> severityNamed(std::string_view name);

} // namespace dovla::model
