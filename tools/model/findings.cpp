#include "findings.h"

#include <algorithm>
#include <map>
#include <set>

#include "item_points.h"

namespace dovla::model {

namespace {

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

std::string quotedList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ", ") + quoted(name);
    return list;
}

// A name a group's members carry, at the place of its source.
struct NameSource {
    std::string name;
    int sheet;
    Point at;
    bool power;
};

class Checker {
  public:
    explicit Checker(const Design& design) : design_(design), points_(design) {}

    std::vector<Finding> findings() {
        checkPins();
        checkWireEnds();
        checkNames();
        checkNets();
        checkBusEntries();
        checkPinNumbers();
        checkParts();
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) {
                             return a.sheet != b.sheet ? a.sheet < b.sheet : a.kind < b.kind;
                         });
        return findings_;
    }

  private:
    void add(int sheet, Point at, FindingKind kind, std::string message) {
        findings_.push_back({sheet, at, kind, std::move(message)});
    }

    const std::vector<ItemRef>& membersOf(GroupRef group) const {
        return group.kind == GroupRef::Net ? design_.nets[group.index].members
                                           : design_.busGroups[group.index].members;
    }

    // The names a group carries (its labels, tags and power pins), each
    // once, in member order.
    std::vector<NameSource> nameSources(GroupRef group) const {
        std::vector<NameSource> sources;
        std::set<std::string> seen;
        for (const ItemRef& member : membersOf(group)) {
            NameSource source;
            if (member.kind == ItemKind::Label) {
                const Label& label = design_.labels[member.index];
                source = {label.name, label.sheet, label.at, false};
            } else if (member.kind == ItemKind::Tag) {
                const Tag& tag = design_.tags[member.index];
                source = {tag.name, tag.sheet, tag.from, false};
            } else if (member.kind == ItemKind::Pin && !design_.pins[member.index].listed) {
                const Pin& pin = design_.pins[member.index];
                source = {partName(design_.parts[pin.part]), pin.sheet, pin.end, true};
            } else {
                continue;
            }
            if (seen.insert(source.name).second)
                sources.push_back(source);
        }
        return sources;
    }

    // The name a part's pins carry: its name, or its library part's.
    static const std::string& partName(const Part& part) {
        return part.name.empty() ? part.libName : part.name;
    }

    void checkPins() {
        std::map<std::pair<int, std::uint32_t>, int> pinsOfGroup;
        for (const Pin& pin : design_.pins) {
            if (pin.group.kind != GroupRef::None)
                ++pinsOfGroup[{pin.group.kind, pin.group.index}];
        }
        for (const Pin& pin : design_.pins) {
            if (pin.group.kind == GroupRef::None) {
                add(pin.sheet, pin.end, FindingKind::LonelyPin,
                    "pin " + shownPin(pin) + " belongs to no net");
                continue;
            }
            if (pin.group.kind == GroupRef::BusGroup)
                add(pin.sheet, pin.end, FindingKind::PinLeftOut,
                    "pin " + shownPin(pin) +
                        " is left out of the net list: its net was merged into a bus group");
            if (pinsOfGroup[{pin.group.kind, pin.group.index}] > 1)
                continue;
            std::vector<NameSource> names = nameSources(pin.group);
            std::string net = names.empty() ? "its net" : "net " + quoted(names[0].name);
            add(pin.sheet, pin.end, FindingKind::LonelyPin,
                "pin " + shownPin(pin) + " is the only pin of " + net);
        }
    }

    // A wire end is open when nothing at its point is in the wire's group;
    // a bus entry there counts as its way to the bus.
    void checkWireEnd(ItemRef wireRef, int sheet, Point at) {
        const Line& wire = design_.wires[wireRef.index];
        bool touches = false;
        for (const ItemRef& item : points_.at(sheet, at)) {
            if (item == wireRef)
                continue;
            if (item.kind == ItemKind::BusEntry ||
                (wire.group.kind != GroupRef::None && groupOf(design_, item) == wire.group))
                return;
            touches = true;
        }
        add(sheet, at, FindingKind::OpenWireEnd,
            touches ? "wire end touches items but is joined to none of them"
                    : "wire end touches nothing");
    }

    void checkWireEnds() {
        for (std::uint32_t i = 0; i < design_.wires.size(); ++i) {
            const Line& wire = design_.wires[i];
            ItemRef ref{ItemKind::Wire, i};
            checkWireEnd(ref, wire.sheet, wire.from);
            if (!(wire.to == wire.from))
                checkWireEnd(ref, wire.sheet, wire.to);
        }
    }

    void checkNames() {
        for (const ItemRef& item : design_.items) {
            if (item.kind == ItemKind::Label &&
                design_.labels[item.index].group.kind == GroupRef::None) {
                const Label& label = design_.labels[item.index];
                add(label.sheet, label.at, FindingKind::UnusedName,
                    "label " + quoted(label.name) + " names nothing");
            } else if (item.kind == ItemKind::Tag &&
                       design_.tags[item.index].group.kind == GroupRef::None) {
                const Tag& tag = design_.tags[item.index];
                add(tag.sheet, tag.from, FindingKind::UnusedName,
                    "tag " + quoted(tag.name) + " names nothing");
            }
        }
    }

    void checkNets() {
        for (std::uint32_t i = 0; i < design_.nets.size(); ++i) {
            std::vector<NameSource> names = nameSources({GroupRef::Net, i});
            if (names.size() >= 2) {
                std::vector<std::string> all;
                for (const NameSource& source : names)
                    all.push_back(source.name);
                add(names[1].sheet, names[1].at, FindingKind::TwoNames,
                    "net carries " + std::to_string(names.size()) + " names: " + quotedList(all));
            }
            std::vector<const NameSource*> power;
            for (const NameSource& source : names) {
                if (source.power)
                    power.push_back(&source);
            }
            if (power.size() >= 2) {
                std::vector<std::string> all;
                for (const NameSource* source : power)
                    all.push_back(source->name);
                add(power[1]->sheet, power[1]->at, FindingKind::PowerShort,
                    "short: the net joins the power names " + quotedList(all));
            }
        }
    }

    // Whether a point is a scan point of a bus that the net builder scans,
    // in the plane where the net builder sees them.
    bool onScannedBus(int sheet, Point local) const {
        const std::int32_t step = design_.options.scanStep;
        const Point at = absolute(sheet, local);
        for (const Line& bus : design_.buses) {
            if (bus.from == bus.to)
                continue;
            const Point from = absolute(bus.sheet, bus.from);
            const Point to = absolute(bus.sheet, bus.to);
            if (from.y == to.y && at.y == from.y && at.x >= from.x && at.x <= to.x &&
                (at.x - from.x) % step == 0)
                return true;
            if (from.x == to.x && at.x == from.x && at.y >= from.y && at.y <= to.y &&
                (at.y - from.y) % step == 0)
                return true;
        }
        return false;
    }

    // An end that the bus scan joined lies on a bus; either end may be the
    // one meant for the bus.
    void checkBusEntries() {
        for (const BusEntry& entry : design_.busEntries) {
            if (!entry.joinedAt && !entry.joinedTo && !onScannedBus(entry.sheet, entry.at) &&
                !onScannedBus(entry.sheet, entry.to))
                add(entry.sheet, entry.at, FindingKind::OpenBusEntry, "bus entry touches no bus");
        }
    }

    std::string groupName(GroupRef group) const {
        if (group.kind == GroupRef::BusGroup)
            return "a bus group";
        return quoted(design_.nets[group.index].key);
    }

    // One pin of one reference on two nets: two parts under one reference,
    // or the common pins of a part's blocks wired apart.
    void checkPinNumbers() {
        std::map<std::string, GroupRef> first;
        for (const Pin& pin : design_.pins) {
            if (design_.parts[pin.part].ref.empty() || pin.group.kind == GroupRef::None)
                continue;
            std::string key = pinKey(design_, pin);
            auto [found, inserted] = first.try_emplace(key, pin.group);
            if (!inserted && !(found->second == pin.group))
                add(pin.sheet, pin.end, FindingKind::PinOnTwoNets,
                    "pin " + key + " is on two nets: " + groupName(found->second) + " and " +
                        groupName(pin.group));
        }
    }

    static std::string partLabel(const Part& part) {
        std::string ref = !part.ref.empty() ? part.ref : "without reference";
        return "part " + ref + " " + part.libName;
    }

    void checkParts() {
        std::map<std::string, const Part*> byReference;
        for (const Part& part : design_.parts) {
            if (!part.found)
                add(part.sheet, part.origin, FindingKind::UnknownPart,
                    partLabel(part) + ": no library holds " + quoted(part.libName));
            else if (!part.pinsPlaced)
                add(part.sheet, part.origin, FindingKind::BadBlock,
                    partLabel(part) + ": block " + std::to_string(part.block + 1) +
                        " of a part with " + std::to_string(part.blockCount) +
                        (part.blockCount == 1 ? " block" : " blocks"));
            if (part.ref.empty())
                continue;
            auto [found, inserted] = byReference.try_emplace(part.ref, &part);
            if (!inserted && partName(*found->second) != partName(part))
                add(part.sheet, part.origin, FindingKind::ReferenceOnTwoParts,
                    "reference " + part.ref + " is given to two parts: " +
                        quoted(partName(*found->second)) + " and " + quoted(partName(part)));
        }
    }

    const Design& design_;
    ItemPoints points_;
    std::vector<Finding> findings_;
};

} // namespace

std::vector<Finding> findingsOf(const Design& design) {
    return Checker(design).findings();
}

const char* findingName(FindingKind kind) {
    switch (kind) {
    case FindingKind::LonelyPin:
        return "lonely-pin";
    case FindingKind::PinLeftOut:
        return "pin-left-out";
    case FindingKind::OpenWireEnd:
        return "open-wire-end";
    case FindingKind::UnusedName:
        return "unused-name";
    case FindingKind::TwoNames:
        return "two-names";
    case FindingKind::PowerShort:
        return "power-short";
    case FindingKind::OpenBusEntry:
        return "open-bus-entry";
    case FindingKind::PinOnTwoNets:
        return "pin-on-two-nets";
    case FindingKind::UnknownPart:
        return "unknown-part";
    case FindingKind::BadBlock:
        return "bad-block";
    case FindingKind::ReferenceOnTwoParts:
        return "reference-on-two-parts";
    }
    return "";
}

} // namespace dovla::model
