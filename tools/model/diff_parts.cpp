#include "diff_stages.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

namespace dovla::model {

namespace {

// Hashes a tuple of texts and numbers, field by field.
struct TupleHash {
    template <typename... Fields>
    std::size_t operator()(const std::tuple<Fields...>& fields) const {
        std::size_t h = 0;
        std::apply(
            [&h](const auto&... field) {
                ((h = h * 0x9E3779B97F4A7C15u + std::hash<std::decay_t<decltype(field)>>{}(field)),
                 ...);
            },
            fields);
        return h;
    }
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

// Power symbols of a revision that change no net: each pin a power pin (of
// the part's name, which is the power name), on a net whose pins that the
// other revision has were all on nets carrying that name there too. (Power
// pins of one name are one net, so a symbol that brings the name to a net
// merges that net into it; a net that the revision brings along, with a
// new sheet, is told by the nets' report.)
class PowerPins {
  public:
    // `toOther`: references of this revision as the other one has them.
    PowerPins(const Design& design, const Design& other, References toOther)
        : design_(design), other_(other), toOther_(std::move(toOther)) {}

    // The power name of a part without a reference that changes no net;
    // empty for any other part.
    std::string quietName(const Part& part) {
        if (!part.ref.empty() || part.pins.empty())
            return "";
        for (std::uint32_t index : part.pins) {
            const Pin& pin = design_.pins[index];
            if (pin.listed || pin.group.kind != GroupRef::Net)
                return "";
            if (!carriedAnyway(pin.group.index, part.name))
                return "";
        }
        return part.name;
    }

  private:
    bool carriedAnyway(std::uint32_t net, const std::string& name) {
        auto [at, added] = carried_.try_emplace({net, name}, false);
        if (added)
            at->second = carriedThere(net, name);
        return at->second;
    }

    static int powerPins(const Design& design, const Net& net, const std::string& name) {
        int count = 0;
        for (const ItemRef& member : net.members) {
            const Pin* pin = member.kind == ItemKind::Pin ? &design.pins[member.index] : nullptr;
            count += pin != nullptr && !pin->listed && design.parts[pin->part].name == name;
        }
        return count;
    }

    bool carriedThere(std::uint32_t net, const std::string& name) {
        if (otherNetOf_.empty()) {
            for (const Pin& pin : other_.pins) {
                if (pin.listed && pin.group.kind == GroupRef::Net)
                    otherNetOf_.emplace(pinKey(other_, pin), pin.group.index);
            }
        }
        for (const ItemRef& member : design_.nets[net].members) {
            if (member.kind != ItemKind::Pin || !design_.pins[member.index].listed)
                continue;
            const Pin& pin = design_.pins[member.index];
            std::string key = pinKey(design_, pin);
            auto renamed = toOther_.find(design_.parts[pin.part].ref);
            if (renamed != toOther_.end())
                key.replace(0, renamed->first.size(), renamed->second);
            auto there = otherNetOf_.find(key);
            if (there != otherNetOf_.end() &&
                powerPins(other_, other_.nets[there->second], name) == 0)
                return false;
        }
        return true;
    }

    const Design& design_;
    const Design& other_;
    References toOther_;
    std::map<std::pair<std::uint32_t, std::string>, bool> carried_;
    std::unordered_map<std::string, std::uint32_t> otherNetOf_;
};

// Power symbols that change no net are counted by sheet and name; other
// parts added or removed are listed with their pins.
class PartLists {
  public:
    PartLists(const Design& oldDesign, const Design& newDesign, const References& renamed,
              DesignDiff& diff)
        : oldDesign_(oldDesign), newDesign_(newDesign), oldPower_(oldDesign, newDesign, renamed),
          newPower_(newDesign, oldDesign, inverted(renamed)), diff_(diff) {}
    // The power symbols counted, into the diff.
    void finish() {
        for (const auto& [key, symbols] : power_)
            diff_.powerSymbols.push_back(symbols);
    }

    void added(const Part& part) {
        std::string name = newPower_.quietName(part);
        if (name.empty())
            diff_.partsAdded.push_back(partWithPins(newDesign_, part));
        else
            ++symbols(part.sheet, name).added;
    }
    void removed(const Part& part) {
        std::string name = oldPower_.quietName(part);
        if (name.empty())
            diff_.partsRemoved.push_back(partWithPins(oldDesign_, part));
        else
            ++symbols(part.sheet, name).removed;
    }

  private:
    static References inverted(const References& references) {
        References out;
        for (const auto& [from, to] : references)
            out.emplace(to, from);
        return out;
    }

    PowerSymbols& symbols(int sheet, const std::string& name) {
        auto [at, added] = power_.try_emplace({sheet, name});
        at->second.sheet = sheet;
        at->second.name = name;
        return at->second;
    }

    const Design& oldDesign_;
    const Design& newDesign_;
    PowerPins oldPower_, newPower_;
    DesignDiff& diff_;
    std::map<std::pair<int, std::string>, PowerSymbols> power_;
};

// Pairs parts without a reference of one kind (sheet, name, library part
// and block alike) between the revisions: those that stayed where they
// were first, then the nearest pairs of the rest, so that a symbol added
// or removed is reported at its own place. Unpaired ones are added or
// removed.
void pairUnreferenced(const std::vector<const Part*>& was, const std::vector<const Part*>& is,
                      PartLists& lists) {
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
            lists.added(*is[j]);
    }
    for (std::size_t i = 0; i < was.size(); ++i) {
        if (!wasPaired[i])
            lists.removed(*was[i]);
    }
}

// The referenced parts of the old revision that stand on one place, in its
// order, and what pairing them needs to find without walking all of them
// for every new part there: the parts of each reference, how many of them
// the new revision still has there, and where the first not yet paired of
// each kind may be.
struct PlaceParts {
    struct SameRef {
        std::vector<std::size_t> at; // the places in parts
        std::size_t next = 0;        // none before it is free
        std::size_t staying = 0;     // new parts of the reference there
        std::size_t renamed = 0;     // old ones of it renamed
        // Some are left over once those that stayed are counted off.
        bool spare() const { return renamed + staying < at.size(); }
    };
    std::vector<const Part*> parts;
    std::vector<SameRef*> sameRef; // of each part
    std::vector<bool> paired;
    std::unordered_map<std::string_view, SameRef> byRef;
    std::size_t nextUnrenamed = 0; // none before it is free with a reference not renamed

    void add(const Part* part) {
        SameRef& same = byRef[part->ref];
        same.at.push_back(parts.size());
        parts.push_back(part);
        sameRef.push_back(&same);
        paired.push_back(false);
    }
    bool free(std::size_t at, const References& renamed) const {
        return !paired[at] && renamed.count(parts[at]->ref) == 0 && sameRef[at]->spare();
    }
};

// The parts of each revision, by their place in its list, that are paired
// as renamed.
struct RenamedParts {
    std::vector<bool> was, is;
};

// Re-annotation: a part with a reference that has another reference in
// the new revision, but the same sheet, place, library part and block, is
// the same part renamed. Its pins are then known by the new reference, so
// that renumbering moves no pin. Returns the parts paired so.
//
// The new part takes the first old part there not yet paired whose
// reference was not renamed, or was renamed to the new one's. As many old
// parts of a reference as the new revision still has there stayed, and are
// no candidates. Parts are only ever paired and references only ever
// renamed, so each search goes on where the last one stopped.
RenamedParts renamedParts(const Design& oldDesign, const Design& newDesign, References& renamed,
                          DesignDiff& diff) {
    using Place = std::tuple<int, std::int32_t, std::int32_t, std::string_view, int>;
    auto placeOf = [](const Part& part) {
        return Place{part.sheet, part.origin.x, part.origin.y, part.libName, part.block};
    };
    // Only where a new part stands with a reference that no old part there
    // has can one have been renamed: the parts of the other places are not
    // gathered.
    using PlacedRef =
        std::tuple<int, std::int32_t, std::int32_t, std::string_view, int, std::string_view>;
    auto placedRefOf = [](const Part& part) {
        return PlacedRef{part.sheet,   part.origin.x, part.origin.y,
                         part.libName, part.block,    part.ref};
    };
    std::unordered_set<PlacedRef, TupleHash> oldRefs;
    oldRefs.reserve(oldDesign.parts.size());
    for (const Part& part : oldDesign.parts) {
        if (!part.ref.empty())
            oldRefs.insert(placedRefOf(part));
    }
    std::unordered_map<Place, PlaceParts, TupleHash> before;
    for (const Part& part : newDesign.parts) {
        if (!part.ref.empty() && oldRefs.count(placedRefOf(part)) == 0)
            before.try_emplace(placeOf(part));
    }
    for (const Part& part : oldDesign.parts) {
        auto found = part.ref.empty() ? before.end() : before.find(placeOf(part));
        if (found != before.end())
            found->second.add(&part);
    }
    for (const Part& part : newDesign.parts) {
        auto found = before.find(placeOf(part));
        if (found == before.end())
            continue;
        if (auto same = found->second.byRef.find(part.ref); same != found->second.byRef.end())
            ++same->second.staying;
    }
    // The old references renamed to each new one.
    std::unordered_map<std::string_view, std::vector<std::string_view>> renamedTo;
    RenamedParts paired{std::vector<bool>(oldDesign.parts.size()),
                        std::vector<bool>(newDesign.parts.size())};
    for (const Part& part : newDesign.parts) {
        auto found = before.find(placeOf(part));
        if (part.ref.empty() || found == before.end())
            continue;
        PlaceParts& there = found->second;
        if (there.byRef.count(part.ref) != 0)
            continue;
        std::size_t& first = there.nextUnrenamed;
        while (first < there.parts.size() && !there.free(first, renamed))
            ++first;
        std::size_t chosen = first;
        if (auto olds = renamedTo.find(part.ref); olds != renamedTo.end()) {
            for (std::string_view ref : olds->second) {
                auto same = there.byRef.find(ref);
                if (same == there.byRef.end() || !same->second.spare())
                    continue;
                PlaceParts::SameRef& candidates = same->second;
                while (candidates.next < candidates.at.size() &&
                       there.paired[candidates.at[candidates.next]])
                    ++candidates.next;
                if (candidates.next < candidates.at.size())
                    chosen = std::min(chosen, candidates.at[candidates.next]);
            }
        }
        if (chosen == there.parts.size())
            continue;
        const Part* was = there.parts[chosen];
        there.paired[chosen] = true;
        ++there.sameRef[chosen]->renamed;
        paired.was[static_cast<std::size_t>(was - oldDesign.parts.data())] = true;
        paired.is[static_cast<std::size_t>(&part - newDesign.parts.data())] = true;
        if (renamed.emplace(was->ref, part.ref).second)
            renamedTo[part.ref].push_back(was->ref);
        PartChange change = partChange(part);
        change.oldRef = was->ref;
        diff.partsRenamed.push_back(change);
        if (was->name != part.name || was->blockCount != part.blockCount) {
            change.oldName = was->name;
            change.oldLibName = was->libName;
            change.oldBlockCount = was->blockCount;
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
    const RenamedParts paired = renamedParts(oldDesign, newDesign, renamed, diff);
    PartLists lists(oldDesign, newDesign, renamed, diff);
    using Key = std::tuple<std::string_view, int, std::string_view, std::string_view, int>;
    auto keyOf = [](const Part& part) {
        if (!part.ref.empty())
            return Key{part.ref, part.block, "", "", 0};
        return Key{"", part.block, part.name, part.libName, part.sheet};
    };
    using Parts = std::unordered_map<Key, std::vector<const Part*>, TupleHash>;
    Parts before;
    Parts after;
    for (std::size_t i = 0; i < oldDesign.parts.size(); ++i) {
        if (!paired.was[i])
            before[keyOf(oldDesign.parts[i])].push_back(&oldDesign.parts[i]);
    }
    for (std::size_t j = 0; j < newDesign.parts.size(); ++j) {
        if (!paired.is[j])
            after[keyOf(newDesign.parts[j])].push_back(&newDesign.parts[j]);
    }
    auto partsOf = [](const Parts& parts, const Key& key) {
        auto found = parts.find(key);
        return found == parts.end() ? nullptr : &found->second;
    };
    // A part with a reference is reported only where its kind changed or
    // where one revision has more of its reference and block than the
    // other; the report goes by key, so only those keys are put in order.
    // Parts without a reference are always paired up.
    auto differs = [](const Part& was, const Part& is) {
        return was.name != is.name || was.libName != is.libName || was.blockCount != is.blockCount;
    };
    std::vector<const Parts::value_type*> toAdd, toRemove;
    for (const auto& entry : after) {
        const auto* was = partsOf(before, entry.first);
        bool reported =
            std::get<0>(entry.first).empty() || was == nullptr || was->size() < entry.second.size();
        for (std::size_t i = 0; !reported && i < entry.second.size(); ++i)
            reported = differs(*(*was)[i], *entry.second[i]);
        if (reported)
            toAdd.push_back(&entry);
    }
    for (const auto& entry : before) {
        const auto* is = partsOf(after, entry.first);
        if (is == nullptr ||
            (!std::get<0>(entry.first).empty() && is->size() < entry.second.size()))
            toRemove.push_back(&entry);
    }
    auto byKey = [](const Parts::value_type* a, const Parts::value_type* b) {
        return a->first < b->first;
    };
    std::sort(toAdd.begin(), toAdd.end(), byKey);
    std::sort(toRemove.begin(), toRemove.end(), byKey);
    for (const auto* entry : toAdd) {
        const auto& [key, parts] = *entry;
        const auto* was = partsOf(before, key);
        if (std::get<0>(key).empty()) {
            pairUnreferenced(was == nullptr ? std::vector<const Part*>() : *was, parts, lists);
            continue;
        }
        std::size_t matched = was == nullptr ? 0 : std::min(parts.size(), was->size());
        for (std::size_t i = 0; i < matched; ++i) {
            const Part& old = *(*was)[i];
            const Part& is = *parts[i];
            if (!differs(old, is))
                continue;
            PartChange change = partChange(is);
            change.oldName = old.name;
            change.oldLibName = old.libName;
            change.oldBlockCount = old.blockCount;
            diff.partsChanged.push_back(change);
        }
        for (std::size_t i = matched; i < parts.size(); ++i)
            diff.partsAdded.push_back(partWithPins(newDesign, *parts[i]));
    }
    for (const auto* entry : toRemove) {
        const auto& [key, parts] = *entry;
        const auto* is = partsOf(after, key);
        if (std::get<0>(key).empty()) {
            pairUnreferenced(parts, {}, lists);
            continue;
        }
        std::size_t kept = is == nullptr ? 0 : std::min(parts.size(), is->size());
        for (std::size_t i = kept; i < parts.size(); ++i)
            diff.partsRemoved.push_back(partWithPins(oldDesign, *parts[i]));
    }
    lists.finish();
}

} // namespace dovla::model
