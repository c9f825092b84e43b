#include "diff_stages.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <tuple>

namespace dovla::model {

namespace {

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

} // namespace

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

} // namespace dovla::model
