#include "finding_kinds.h"

namespace dovla::model {

const std::vector<CheckType>& checkTypes() {
    static const std::vector<CheckType> types = {
        {FindingKind::LonelyPin, "lonely-pin", Severity::Warning,
         "A pin that touches nothing: it is in no net."},
        {FindingKind::SinglePinNet, "single-pin-net", Severity::Warning,
         "A pin that is the only pin of its net: its wires or names lead to no other pin."},
        {FindingKind::PinLeftOut, "pin-left-out", Severity::Error,
         "A pin whose net was merged into a bus group: the net list never shows it."},
        {FindingKind::OpenWireEnd, "open-wire-end", Severity::Warning,
         "A wire end that is joined to nothing."},
        {FindingKind::WireOnBus, "wire-on-bus", Severity::Warning,
         "A wire end that lies on a bus without a bus entry: a wire meets a bus only through an "
         "entry."},
        {FindingKind::UnusedName, "unused-name", Severity::Warning,
         "A label or tag that touches nothing it could name."},
        {FindingKind::NameUsedOnce, "name-used-once", Severity::Warning,
         "A name used once in the design that joins nothing: a tag on a net whose name no other "
         "item carries, or such a label on a net of fewer than two pins."},
        {FindingKind::TwoNames, "two-names", Severity::Warning,
         "A net that carries two or more names."},
        {FindingKind::NameOnSeparateNets, "name-on-separate-nets", Severity::Warning,
         "One name on nets that stay apart: a label only names its net, and tags join only by "
         "the first tag of each net."},
        {FindingKind::PowerShort, "power-short", Severity::Error,
         "A net that joins two or more power names: each place where two of them meet, reported at "
         "the item between them."},
        {FindingKind::OpenBusEntry, "open-bus-entry", Severity::Warning,
         "A bus entry whose ends touch no bus."},
        {FindingKind::PinOnTwoNets, "pin-on-two-nets", Severity::Error,
         "One reference and pin number on two nets: two parts under one reference, or the common "
         "pins of a part's blocks wired apart."},
        {FindingKind::UnknownPart, "unknown-part", Severity::Error,
         "A part that no library of the configuration holds."},
        {FindingKind::BadBlock, "bad-block", Severity::Error,
         "A part placed as a block that its library part does not have."},
        {FindingKind::ReferenceOnTwoParts, "reference-on-two-parts", Severity::Error,
         "One reference given to parts of two names."},
        {FindingKind::UnusedBlocks, "unused-blocks", Severity::Info,
         "A part of several blocks some of which are not placed: its free blocks."},
        {FindingKind::StaleWaiver, "stale-waiver", Severity::Warning,
         "A waiver that matches no finding: what it accepted is gone or has changed."},
    };
    return types;
}

const CheckType& checkType(FindingKind kind) {
    return checkTypes()[static_cast<std::size_t>(kind)];
}

std::optional<FindingKind> findingKindNamed(std::string_view id) {
    for (const CheckType& type : checkTypes()) {
        if (id == type.id)
            return type.kind;
    }
    return std::nullopt;
}

const char* severityName(Severity severity) {
    switch (severity) {
    case Severity::Error:
        return "error";
    case Severity::Warning:
        return "warning";
    case Severity::Info:
        return "info";
    }
    return "";
}

std::optional<Severity> severityNamed(std::string_view name) {
    for (Severity severity : {Severity::Error, Severity::Warning, Severity::Info}) {
        if (name == severityName(severity))
            return severity;
    }
    return std::nullopt;
}

} // namespace dovla::model
