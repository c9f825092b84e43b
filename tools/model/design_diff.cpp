#include "design_diff.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

namespace dovla::model {

namespace {

// A revision's nets as the diff sees them: the written ones, each with its
// pins known by reference and number.
// References of the old revision as the new one has them: the parts that
// were only renamed.
using References = std::map<std::string, std::string>;

struct Side {
    Side(const Design& design, const References& renamed = {}) : design(design), renamed(renamed) {
        for (const Net& net : design.nets) {
            if (!net.written)
                continue;
            const int index = static_cast<int>(nets.size());
            nets.push_back(&net);
            pins.emplace_back();
            for (const ItemRef& member : net.members) {
                if (member.kind != ItemKind::Pin)
                    continue;
                const Pin& pin = design.pins[member.index];
                if (!pin.listed || design.parts[pin.part].ref.empty())
                    continue;
                std::string key = keyOf(pin);
                if (netOf.try_emplace(key, index).second)
                    pins.back().push_back(key);
            }
            std::sort(pins.back().begin(), pins.back().end());
        }
        for (const Pin& pin : design.pins) {
            if (!design.parts[pin.part].ref.empty())
                allPins.try_emplace(keyOf(pin), &pin);
        }
    }

    // A pin by its reference and number, the reference as the new revision
    // has it.
    std::string keyOf(const Pin& pin) const {
        std::string key = pinKey(design, pin);
        auto found = renamed.find(design.parts[pin.part].ref);
        if (found != renamed.end())
            key.replace(0, found->first.size(), found->second);
        return key;
    }

    int netOfPin(const std::string& pin) const {
        auto found = netOf.find(pin);
        return found == netOf.end() ? -1 : found->second;
    }
    // Where a net shows: its first listed pin in member order.
    DiffPlace placeOf(int net) const {
        for (const ItemRef& member : nets[net]->members) {
            if (member.kind == ItemKind::Pin && design.pins[member.index].listed)
                return {design.pins[member.index].sheet, design.pins[member.index].end};
        }
        return {};
    }
    DiffPlace placeOfPin(const std::string& pin) const {
        const Pin* found = allPins.at(pin);
        return {found->sheet, found->end};
    }

    const Design& design;
    const References& renamed;
    std::vector<const Net*> nets;
    std::vector<std::vector<std::string>> pins; // sorted
    std::unordered_map<std::string, int> netOf;
    std::unordered_map<std::string, const Pin*> allPins; // every pin of a part with a reference
};

PartChange partChange(const Part& part) {
    PartChange change;
    change.ref = part.ref;
    change.block = part.block;
    change.name = part.name;
    change.libName = part.libName;
    change.blockCount = part.blockCount;
    change.place = {part.sheet, part.origin};
    return change;
}

// An added or removed part with the nets its pins are on, in its revision.
PartChange partWithPins(const Design& design, const Part& part) {
    PartChange change = partChange(part);
    for (std::uint32_t index : part.pins) {
        const Pin& pin = design.pins[index];
        change.pins.push_back({pinKey(design, pin), pin.group.kind == GroupRef::Net
                                                        ? design.nets[pin.group.index].key
                                                        : std::string()});
    }
    return change;
}

// Pairs parts without a reference of one kind (sheet, name, library part
// and block alike) between the revisions: those that stayed where they
// were first, then the nearest pairs of the rest, so that a symbol added
// or removed is reported at its own place. Unpaired ones are added or
// removed.
void pairUnreferenced(const Design& oldDesign, const std::vector<const Part*>& was,
                      const Design& newDesign, const std::vector<const Part*>& is,
                      DesignDiff& diff) {
    std::vector<bool> wasPaired(was.size()), isPaired(is.size());
    std::map<std::pair<std::int32_t, std::int32_t>, std::vector<std::size_t>> stayed;
    for (std::size_t i = was.size(); i-- > 0;)
        stayed[{was[i]->origin.x, was[i]->origin.y}].push_back(i);
    for (std::size_t j = 0; j < is.size(); ++j) {
        auto found = stayed.find({is[j]->origin.x, is[j]->origin.y});
        if (found == stayed.end() || found->second.empty())
            continue;
        wasPaired[found->second.back()] = isPaired[j] = true;
        found->second.pop_back();
    }
    struct Pair {
        std::int64_t distance;
        std::size_t was, is;
        bool operator<(const Pair& other) const {
            return std::tie(distance, was, is) < std::tie(other.distance, other.was, other.is);
        }
    };
    std::vector<Pair> pairs;
    for (std::size_t i = 0; i < was.size(); ++i) {
        for (std::size_t j = 0; j < is.size(); ++j) {
            if (wasPaired[i] || isPaired[j])
                continue;
            std::int64_t dx = std::int64_t{was[i]->origin.x} - is[j]->origin.x;
            std::int64_t dy = std::int64_t{was[i]->origin.y} - is[j]->origin.y;
            pairs.push_back({dx * dx + dy * dy, i, j});
        }
    }
    std::sort(pairs.begin(), pairs.end());
    for (const Pair& pair : pairs) {
        if (!wasPaired[pair.was] && !isPaired[pair.is])
            wasPaired[pair.was] = isPaired[pair.is] = true;
    }
    for (std::size_t j = 0; j < is.size(); ++j) {
        if (!isPaired[j])
            diff.partsAdded.push_back(partWithPins(newDesign, *is[j]));
    }
    for (std::size_t i = 0; i < was.size(); ++i) {
        if (!wasPaired[i])
            diff.partsRemoved.push_back(partWithPins(oldDesign, *was[i]));
    }
}

// Re-annotation: a part with a reference that has another reference in
// the new revision, but the same sheet, place, library part and block, is
// the same part renamed. Its pins are then known by the new reference, so
// that renumbering moves no pin. Returns the parts paired so.
std::set<const Part*> renamedParts(const Design& oldDesign, const Design& newDesign,
                                   References& renamed, DesignDiff& diff) {
    using Place = std::tuple<int, std::int32_t, std::int32_t, std::string, int>;
    auto placeOf = [](const Part& part) {
        return Place{part.sheet, part.origin.x, part.origin.y, part.libName, part.block};
    };
    std::map<Place, std::vector<const Part*>> before;
    for (const Part& part : oldDesign.parts) {
        if (!part.ref.empty())
            before[placeOf(part)].push_back(&part);
    }
    std::set<const Part*> paired;
    for (const Part& part : newDesign.parts) {
        auto found = before.find(placeOf(part));
        if (part.ref.empty() || found == before.end())
            continue;
        std::vector<const Part*>& there = found->second;
        if (std::any_of(there.begin(), there.end(),
                        [&](const Part* was) { return was->ref == part.ref; }))
            continue;
        auto was = std::find_if(there.begin(), there.end(), [&](const Part* candidate) {
            return paired.count(candidate) == 0 &&
                   (renamed.count(candidate->ref) == 0 || renamed[candidate->ref] == part.ref);
        });
        if (was == there.end())
            continue;
        paired.insert(*was);
        paired.insert(&part);
        renamed.emplace((*was)->ref, part.ref);
        PartChange change = partChange(part);
        change.oldRef = (*was)->ref;
        diff.partsRenamed.push_back(change);
        if ((*was)->name != part.name || (*was)->blockCount != part.blockCount) {
            change.oldName = (*was)->name;
            change.oldLibName = (*was)->libName;
            change.oldBlockCount = (*was)->blockCount;
            diff.partsChanged.push_back(change);
        }
    }
    return paired;
}

void diffParts(const Design& oldDesign, const Design& newDesign, References& renamed,
               DesignDiff& diff) {
    // Renamed parts first; then parts with a reference by reference and
    // block, a part's name, library part and block count compared; the
    // others by their kind and place.
    const std::set<const Part*> paired = renamedParts(oldDesign, newDesign, renamed, diff);
    using Key = std::tuple<std::string, int, std::string, std::string, int>;
    auto keyOf = [](const Part& part) {
        if (!part.ref.empty())
            return Key{part.ref, part.block, "", "", 0};
        return Key{"", part.block, part.name, part.libName, part.sheet};
    };
    std::map<Key, std::vector<const Part*>> before;
    std::map<Key, std::vector<const Part*>> after;
    for (const Part& part : oldDesign.parts) {
        if (paired.count(&part) == 0)
            before[keyOf(part)].push_back(&part);
    }
    for (const Part& part : newDesign.parts) {
        if (paired.count(&part) == 0)
            after[keyOf(part)].push_back(&part);
    }
    for (const auto& [key, parts] : after) {
        auto found = before.find(key);
        if (std::get<0>(key).empty()) {
            pairUnreferenced(oldDesign,
                             found == before.end() ? std::vector<const Part*>() : found->second,
                             newDesign, parts, diff);
            continue;
        }
        std::size_t matched =
            found == before.end() ? 0 : std::min(parts.size(), found->second.size());
        for (std::size_t i = 0; i < matched; ++i) {
            const Part& was = *found->second[i];
            const Part& is = *parts[i];
            if (was.name == is.name && was.libName == is.libName && was.blockCount == is.blockCount)
                continue;
            PartChange change = partChange(is);
            change.oldName = was.name;
            change.oldLibName = was.libName;
            change.oldBlockCount = was.blockCount;
            diff.partsChanged.push_back(change);
        }
        for (std::size_t i = matched; i < parts.size(); ++i)
            diff.partsAdded.push_back(partWithPins(newDesign, *parts[i]));
    }
    for (const auto& [key, parts] : before) {
        auto found = after.find(key);
        if (std::get<0>(key).empty()) {
            if (found == after.end())
                pairUnreferenced(oldDesign, parts, newDesign, {}, diff);
            continue;
        }
        std::size_t kept = found == after.end() ? 0 : std::min(parts.size(), found->second.size());
        for (std::size_t i = kept; i < parts.size(); ++i)
            diff.partsRemoved.push_back(partWithPins(oldDesign, *parts[i]));
    }
}

class NetDiff {
  public:
    NetDiff(const Design& oldDesign, const Design& newDesign, const References& renamed,
            DesignDiff& diff)
        : old_(oldDesign, renamed), new_(newDesign), diff_(diff), oldMatch_(old_.nets.size(), -1),
          newMatch_(new_.nets.size(), -1) {}

    void run() {
        matchByKey();
        matchByPins();
        matchByOverlap();
        flows();
        report();
    }

  private:
    void match(int oldNet, int newNet) {
        oldMatch_[oldNet] = newNet;
        newMatch_[newNet] = oldNet;
    }

    void matchByKey() {
        std::unordered_map<std::string, int> byKey;
        for (std::size_t j = 0; j < new_.nets.size(); ++j)
            byKey.emplace(new_.nets[j]->key, static_cast<int>(j));
        for (std::size_t i = 0; i < old_.nets.size(); ++i) {
            auto found = byKey.find(old_.nets[i]->key);
            if (found != byKey.end() && newMatch_[found->second] < 0)
                match(static_cast<int>(i), found->second);
        }
    }

    void matchByPins() {
        std::map<std::vector<std::string>, int> byPins;
        for (std::size_t j = 0; j < new_.nets.size(); ++j) {
            if (newMatch_[j] < 0 && !new_.pins[j].empty())
                byPins.emplace(new_.pins[j], static_cast<int>(j));
        }
        for (std::size_t i = 0; i < old_.nets.size(); ++i) {
            if (oldMatch_[i] >= 0 || old_.pins[i].empty())
                continue;
            auto found = byPins.find(old_.pins[i]);
            if (found != byPins.end() && newMatch_[found->second] < 0)
                match(static_cast<int>(i), found->second);
        }
    }

    // The new nets an old net's pins went to, and the old nets a new net's
    // pins came from.
    std::set<int> targets(int oldNet) const {
        std::set<int> nets;
        for (const std::string& pin : old_.pins[oldNet]) {
            int net = new_.netOfPin(pin);
            if (net >= 0)
                nets.insert(net);
        }
        return nets;
    }
    std::set<int> origins(int newNet) const {
        std::set<int> nets;
        for (const std::string& pin : new_.pins[newNet]) {
            int net = old_.netOfPin(pin);
            if (net >= 0)
                nets.insert(net);
        }
        return nets;
    }

    void matchByOverlap() {
        for (std::size_t i = 0; i < old_.nets.size(); ++i) {
            if (oldMatch_[i] >= 0)
                continue;
            std::set<int> to = targets(static_cast<int>(i));
            if (to.size() != 1 || newMatch_[*to.begin()] >= 0)
                continue;
            int j = *to.begin();
            if (origins(j) == std::set<int>{static_cast<int>(i)})
                match(static_cast<int>(i), j);
        }
    }

    void flows() {
        oldTargets_.resize(old_.nets.size());
        newOrigins_.resize(new_.nets.size());
        for (std::size_t i = 0; i < old_.nets.size(); ++i)
            oldTargets_[i] = targets(static_cast<int>(i));
        for (std::size_t j = 0; j < new_.nets.size(); ++j)
            newOrigins_[j] = origins(static_cast<int>(j));
    }

    static std::set<std::string> namesOf(const Net& net) {
        std::set<std::string> names;
        for (const NetName& name : net.names) {
            if (!name.text.empty())
                names.insert(name.text);
        }
        return names;
    }

    std::string oldKey(int net) const { return old_.nets[net]->key; }
    std::string newKey(int net) const { return new_.nets[net]->key; }

    void report() {
        for (std::size_t i = 0; i < old_.nets.size(); ++i) {
            const int oldNet = static_cast<int>(i);
            const int match = oldMatch_[i];
            if (match >= 0) {
                // Only a change of the names a net carries renames it; a key
                // taken from a pin, or told apart from another net's, is no
                // name of its own.
                if (oldKey(oldNet) != newKey(match) &&
                    namesOf(*old_.nets[oldNet]) != namesOf(*new_.nets[match]))
                    diff_.netsRenamed.push_back(
                        {newKey(match), oldKey(oldNet), {}, new_.placeOf(match)});
                splitOffs(oldNet);
                continue;
            }
            const std::set<int>& to = oldTargets_[i];
            if (to.empty()) {
                diff_.netsRemoved.push_back(
                    {oldKey(oldNet), "", old_.pins[i], old_.placeOf(oldNet)});
            } else if (to.size() >= 2) {
                NetFlow split;
                split.from = {oldKey(oldNet)};
                for (int net : to)
                    split.into.push_back(newKey(net));
                split.gone = true;
                split.place = new_.placeOf(*to.begin());
                splitOf_[oldNet] = {diff_.netsSplit.size(), to};
                diff_.netsSplit.push_back(split);
            }
        }
        for (std::size_t j = 0; j < new_.nets.size(); ++j) {
            const int newNet = static_cast<int>(j);
            const std::set<int>& from = newOrigins_[j];
            if (newMatch_[j] < 0 && from.empty()) {
                diff_.netsAdded.push_back({newKey(newNet), "", new_.pins[j], new_.placeOf(newNet)});
                continue;
            }
            // The old nets that are gone with all their pins into this one:
            // merged into it when it was there, or, two or more of them,
            // into a new net. A net that is still there, or of which some
            // pins went elsewhere or to no net, was not merged: its pins
            // that came here moved.
            NetFlow merged;
            std::set<int> mergedNets;
            for (int oldNet : from) {
                if (oldMatch_[oldNet] < 0 && oldTargets_[oldNet].size() == 1 &&
                    allPinsOn(oldNet, newNet)) {
                    merged.from.push_back(oldKey(oldNet));
                    mergedNets.insert(oldNet);
                }
            }
            if (merged.from.size() < (newMatch_[j] < 0 ? 2u : 1u))
                continue;
            merged.into = {newKey(newNet)};
            merged.newNet = newMatch_[j] < 0;
            merged.place = new_.placeOf(newNet);
            mergeOf_[newNet] = {diff_.netsMerged.size(), mergedNets};
            diff_.netsMerged.push_back(merged);
        }
        pins();
    }

    // Whether every pin of an old net is on the new net.
    bool allPinsOn(int oldNet, int newNet) const {
        for (const std::string& pin : old_.pins[oldNet]) {
            if (new_.netOfPin(pin) != newNet)
                return false;
        }
        return true;
    }

    // New nets made of pins of this net alone.
    void splitOffs(int oldNet) {
        NetFlow split;
        std::set<int> offs;
        for (int newNet : oldTargets_[oldNet]) {
            if (newMatch_[newNet] < 0 && newOrigins_[newNet] == std::set<int>{oldNet}) {
                split.into.push_back(newKey(newNet));
                offs.insert(newNet);
            }
        }
        if (split.into.empty())
            return;
        splitOf_[oldNet] = {diff_.netsSplit.size(), offs};
        split.from = {oldKey(oldNet)};
        split.into.insert(split.into.begin(), newKey(oldMatch_[oldNet]));
        for (int newNet : oldTargets_[oldNet]) {
            if (newNet != oldMatch_[oldNet]) {
                split.place = new_.placeOf(newNet);
                break;
            }
        }
        diff_.netsSplit.push_back(split);
    }

    void pins() {
        std::set<std::string> every;
        for (const auto& [pin, net] : old_.netOf)
            every.insert(pin);
        for (const auto& [pin, net] : new_.netOf)
            every.insert(pin);
        for (const std::string& pin : every) {
            const int oldNet = old_.netOfPin(pin);
            const int newNet = new_.netOfPin(pin);
            if (oldNet >= 0 && newNet >= 0) {
                // Every pin whose net changed is listed: under the merge or
                // split it is part of, or as a move of its own.
                if (oldMatch_[oldNet] != newNet)
                    flowPins(oldNet, newNet)
                        .push_back({pin, oldKey(oldNet), newKey(newNet), new_.placeOfPin(pin)});
            } else if (newNet >= 0) {
                // A pin of a new part comes with the part; the pins of a new
                // net are listed with it.
                bool added = newMatch_[newNet] < 0 && newOrigins_[newNet].empty();
                if (old_.allPins.count(pin) != 0 && !added)
                    diff_.pinsConnected.push_back({pin, "", newKey(newNet), new_.placeOfPin(pin)});
            } else if (oldNet >= 0) {
                bool removed = oldMatch_[oldNet] < 0 && oldTargets_[oldNet].empty();
                if (new_.allPins.count(pin) != 0 && !removed)
                    diff_.pinsDisconnected.push_back(
                        {pin, oldKey(oldNet), "", new_.placeOfPin(pin)});
            }
        }
    }

    // Where a pin that went from one net to another is listed.
    std::vector<PinChange>& flowPins(int oldNet, int newNet) {
        auto merge = mergeOf_.find(newNet);
        if (merge != mergeOf_.end() && merge->second.nets.count(oldNet) != 0)
            return diff_.netsMerged[merge->second.flow].pins;
        auto split = splitOf_.find(oldNet);
        if (split != splitOf_.end() && split->second.nets.count(newNet) != 0)
            return diff_.netsSplit[split->second.flow].pins;
        return diff_.pinsMoved;
    }

    // A merge or split reported, and the nets on its other side whose pins
    // belong to it.
    struct Flow {
        std::size_t flow = 0;
        std::set<int> nets;
    };

    Side old_;
    Side new_;
    DesignDiff& diff_;
    std::vector<int> oldMatch_;
    std::vector<int> newMatch_;
    std::vector<std::set<int>> oldTargets_;
    std::vector<std::set<int>> newOrigins_;
    std::map<int, Flow> mergeOf_; // by new net
    std::map<int, Flow> splitOf_; // by old net
};

template <typename List, typename Key> void sortBy(List& list, Key key) {
    std::stable_sort(list.begin(), list.end(),
                     [&](const auto& a, const auto& b) { return key(a) < key(b); });
}

} // namespace

bool DesignDiff::empty() const {
    return partsAdded.empty() && partsRemoved.empty() && partsChanged.empty() &&
           partsRenamed.empty() && netsAdded.empty() && netsRemoved.empty() &&
           netsRenamed.empty() && netsMerged.empty() && netsSplit.empty() && pinsMoved.empty() &&
           pinsConnected.empty() && pinsDisconnected.empty() && oldPartsNotCompared == 0 &&
           newPartsNotCompared == 0;
}

namespace {

// The parts of a design that have no pins for want of their library part.
int partsNotFound(const Design& design, std::set<std::string>& names) {
    int count = 0;
    for (const Part& part : design.parts) {
        if (!part.found) {
            ++count;
            names.insert(part.libName);
        }
    }
    return count;
}

} // namespace

DesignDiff diffDesigns(const Design& oldDesign, const Design& newDesign) {
    DesignDiff diff;
    std::set<std::string> notFound;
    diff.oldPartsNotCompared = partsNotFound(oldDesign, notFound);
    diff.newPartsNotCompared = partsNotFound(newDesign, notFound);
    diff.libraryPartsNotFound.assign(notFound.begin(), notFound.end());
    References renamed;
    diffParts(oldDesign, newDesign, renamed, diff);
    NetDiff(oldDesign, newDesign, renamed, diff).run();
    auto part = [](const PartChange& c) { return std::tie(c.ref, c.block, c.name, c.libName); };
    sortBy(diff.partsAdded, part);
    sortBy(diff.partsRemoved, part);
    sortBy(diff.partsChanged, part);
    sortBy(diff.partsRenamed, part);
    auto net = [](const NetChange& c) { return c.key; };
    sortBy(diff.netsAdded, net);
    sortBy(diff.netsRemoved, net);
    sortBy(diff.netsRenamed, net);
    auto flow = [](const NetFlow& f) { return std::tie(f.into, f.from); };
    sortBy(diff.netsMerged, flow);
    auto split = [](const NetFlow& f) { return std::tie(f.from, f.into); };
    sortBy(diff.netsSplit, split);
    auto pin = [](const PinChange& c) { return c.pin; };
    sortBy(diff.pinsMoved, pin);
    sortBy(diff.pinsConnected, pin);
    sortBy(diff.pinsDisconnected, pin);
    return diff;
}

namespace {

std::string placeText(const DiffPlace& place, bool gone = false) {
    return std::string(gone ? " (was on sheet " : " (sheet ") + std::to_string(place.sheet) +
           " at " + std::to_string(place.at.x) + "," + std::to_string(place.at.y) + ")";
}

std::string joined(const std::vector<std::string>& items, const char* separator) {
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : separator) + item;
    return text;
}

std::string partText(const PartChange& part) {
    std::string text = part.ref.empty() ? "(without reference)" : part.ref;
    if (part.block != 0)
        text += " block " + std::to_string(part.block + 1);
    return text + " " + (part.name.empty() ? part.libName : part.name);
}

std::string changedText(const PartChange& part) {
    std::vector<std::string> changes;
    if (part.oldName != part.name)
        changes.push_back("name " + part.oldName + " -> " + part.name);
    if (part.oldLibName != part.libName)
        changes.push_back("library part " + part.oldLibName + " -> " + part.libName);
    if (part.oldBlockCount != part.blockCount)
        changes.push_back("blocks " + std::to_string(part.oldBlockCount) + " -> " +
                          std::to_string(part.blockCount));
    return partText(part) + ": " + joined(changes, ", ");
}

} // namespace

std::string diffText(const DesignDiff& diff) {
    std::string out;
    auto line = [&](const std::string& text) { out += reportLine(text); };
    // An added or removed part's pins follow it, each with its net.
    auto pins = [&](const PartChange& part, const std::string& on) {
        for (const PartPin& pin : part.pins)
            line("    " + pin.pin + on + (pin.net.empty() ? "no net" : pin.net));
    };
    for (const PartChange& part : diff.partsAdded) {
        line("part added: " + partText(part) + placeText(part.place));
        pins(part, " on ");
    }
    for (const PartChange& part : diff.partsRemoved) {
        line("part removed: " + partText(part) + placeText(part.place, true));
        pins(part, " was on ");
    }
    for (const PartChange& part : diff.partsRenamed)
        line("part renamed: " + part.oldRef + " -> " + partText(part) + placeText(part.place));
    for (const PartChange& part : diff.partsChanged)
        line("part changed: " + changedText(part) + placeText(part.place));
    for (const NetChange& net : diff.netsAdded)
        line("net added: " + net.key + " with " + joined(net.pins, ", ") + placeText(net.place));
    for (const NetChange& net : diff.netsRemoved)
        line("net removed: " + net.key + " with " + joined(net.pins, ", ") +
             placeText(net.place, true));
    for (const NetChange& net : diff.netsRenamed)
        line("net renamed: " + net.oldKey + " -> " + net.key + placeText(net.place));
    // A merge's or split's pins follow it, each with its old and new net.
    auto flowPins = [&](const NetFlow& flow) {
        for (const PinChange& pin : flow.pins)
            line("    " + pin.pin + " from " + pin.from + " to " + pin.to);
    };
    for (const NetFlow& flow : diff.netsMerged) {
        line("nets merged: " + joined(flow.from, ", ") + " into " +
             (flow.newNet ? "new net " : "") + flow.into[0] + placeText(flow.place));
        flowPins(flow);
    }
    for (const NetFlow& flow : diff.netsSplit) {
        line("net split: " + flow.from[0] + " into " + joined(flow.into, ", ") +
             placeText(flow.place));
        flowPins(flow);
    }
    for (const PinChange& pin : diff.pinsMoved)
        line("pin moved: " + pin.pin + " from " + pin.from + " to " + pin.to +
             placeText(pin.place));
    for (const PinChange& pin : diff.pinsConnected)
        line("pin connected: " + pin.pin + " to " + pin.to + placeText(pin.place));
    for (const PinChange& pin : diff.pinsDisconnected)
        line("pin disconnected: " + pin.pin + " from " + pin.from + placeText(pin.place));
    if (diff.oldPartsNotCompared > 0 || diff.newPartsNotCompared > 0)
        line("pins not compared: " + std::to_string(diff.oldPartsNotCompared) + " old and " +
             std::to_string(diff.newPartsNotCompared) +
             " new parts have no library part (no library holds " +
             joined(diff.libraryPartsNotFound, ", ") + ")");
    return out;
}

namespace {

Json placeJson(const DiffPlace& place) {
    return Json{{"sheet", place.sheet}, {"at", pointJson(place.at)}};
}

Json stringsJson(const std::vector<std::string>& items) {
    Json list = Json::array();
    for (const std::string& item : items)
        list.push_back(jsonString(item));
    return list;
}

Json partJson(const PartChange& part, bool changed) {
    Json out{{"ref", jsonString(part.ref)},
             {"block", part.block},
             {"name", jsonString(part.name)},
             {"libName", jsonString(part.libName)},
             {"blockCount", part.blockCount}};
    if (changed)
        out["was"] = Json{{"name", jsonString(part.oldName)},
                          {"libName", jsonString(part.oldLibName)},
                          {"blockCount", part.oldBlockCount}};
    out["place"] = placeJson(part.place);
    if (!changed) {
        Json pins = Json::array();
        for (const PartPin& pin : part.pins)
            pins.push_back(
                Json{{"pin", jsonString(pin.pin)},
                     {"net", pin.net.empty() ? Json(nullptr) : Json(jsonString(pin.net))}});
        out["pins"] = pins;
    }
    return out;
}

Json pinJson(const PinChange& pin) {
    Json out{{"pin", jsonString(pin.pin)}};
    out["from"] = pin.from.empty() ? Json(nullptr) : Json(jsonString(pin.from));
    out["to"] = pin.to.empty() ? Json(nullptr) : Json(jsonString(pin.to));
    out["place"] = placeJson(pin.place);
    return out;
}

Json flowJson(const NetFlow& flow) {
    Json pins = Json::array();
    for (const PinChange& pin : flow.pins)
        pins.push_back(pinJson(pin));
    return Json{{"from", stringsJson(flow.from)}, {"into", stringsJson(flow.into)},
                {"newNet", flow.newNet},          {"gone", flow.gone},
                {"place", placeJson(flow.place)}, {"pins", pins}};
}

template <typename List, typename ToJson> Json listJson(const List& list, ToJson toJson) {
    Json out = Json::array();
    for (const auto& element : list)
        out.push_back(toJson(element));
    return out;
}

} // namespace

Json diffJson(const DesignDiff& diff, const std::string& oldPath, const std::string& newPath) {
    auto part = [](bool changed) {
        return [changed](const PartChange& c) { return partJson(c, changed); };
    };
    auto net = [](const NetChange& c) {
        return Json{{"key", jsonString(c.key)},
                    {"pins", stringsJson(c.pins)},
                    {"place", placeJson(c.place)}};
    };
    auto renamed = [](const NetChange& c) {
        return Json{{"from", jsonString(c.oldKey)},
                    {"to", jsonString(c.key)},
                    {"place", placeJson(c.place)}};
    };
    return Json{{"format", jsonFormat},
                {"old", jsonString(oldPath)},
                {"new", jsonString(newPath)},
                {"changed", !diff.empty()},
                {"partsNotCompared",
                 Json{{"old", diff.oldPartsNotCompared},
                      {"new", diff.newPartsNotCompared},
                      {"libraryPartsNotFound", stringsJson(diff.libraryPartsNotFound)}}},
                {"partsAdded", listJson(diff.partsAdded, part(false))},
                {"partsRemoved", listJson(diff.partsRemoved, part(false))},
                {"partsChanged", listJson(diff.partsChanged, part(true))},
                {"partsRenamed", listJson(diff.partsRenamed,
                                          [](const PartChange& c) {
                                              Json out = partJson(c, false);
                                              out.erase("pins");
                                              out["was"] = Json{{"ref", jsonString(c.oldRef)}};
                                              return out;
                                          })},
                {"netsAdded", listJson(diff.netsAdded, net)},
                {"netsRemoved", listJson(diff.netsRemoved, net)},
                {"netsRenamed", listJson(diff.netsRenamed, renamed)},
                {"netsMerged", listJson(diff.netsMerged, flowJson)},
                {"netsSplit", listJson(diff.netsSplit, flowJson)},
                {"pinsMoved", listJson(diff.pinsMoved, pinJson)},
                {"pinsConnected", listJson(diff.pinsConnected, pinJson)},
                {"pinsDisconnected", listJson(diff.pinsDisconnected, pinJson)}};
}

} // namespace dovla::model
