#include "diff_stages.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace dovla::model {

namespace {

// A revision's nets as the diff sees them: the written ones, each with its
// pins known by reference and number.
struct Side {
    Side(const Design& design, const References& renamed = {}) : design(design), renamed(renamed) {
        // Each pin's key is made once and kept here; the nets, the tables
        // by pin and the lists of pins all read it.
        keys.resize(design.pins.size());
        allPins.reserve(design.pins.size());
        netOf.reserve(design.pins.size());
        for (std::size_t i = 0; i < design.pins.size(); ++i) {
            const Pin& pin = design.pins[i];
            if (design.parts[pin.part].ref.empty())
                continue;
            keys[i] = keyOf(pin);
            allPins.try_emplace(keys[i], &pin);
        }
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
                const std::string_view key = keys[member.index];
                if (netOf.try_emplace(key, index).second)
                    pins.back().push_back(key);
            }
            std::sort(pins.back().begin(), pins.back().end());
        }
    }

    // The tables read the keys where they are kept.
    Side(const Side&) = delete;
    Side& operator=(const Side&) = delete;

    // A pin by its reference and number, the reference as the new revision
    // has it.
    std::string keyOf(const Pin& pin) const {
        std::string key = pinKey(design, pin);
        auto found = renamed.find(design.parts[pin.part].ref);
        if (found != renamed.end())
            key.replace(0, found->first.size(), found->second);
        return key;
    }

    int netOfPin(std::string_view pin) const {
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
    // Where a net shows a change against the other revision: the first
    // end of its members, in member order, where a junction came or went;
    // else the first member that the other revision does not draw, of the
    // labels, tags and entries, else of the wires (which any new end cuts
    // anew), else of the pins; else where the net shows.
    DiffPlace placeOfChange(int net, const Side& other) const {
        for (const ItemRef& member : nets[net]->members) {
            DiffPlace place;
            forEachEnd(design, member, [&](int sheet, Point at) {
                if (place.sheet == 0 && hasJunction(sheet, at) != other.hasJunction(sheet, at))
                    place = {sheet, at};
            });
            if (place.sheet != 0)
                return place;
        }
        auto tier = [](ItemKind kind) {
            return kind == ItemKind::Wire ? 1 : kind == ItemKind::Pin ? 2 : 0;
        };
        for (int wanted = 0; wanted < 3; ++wanted) {
            for (const ItemRef& member : nets[net]->members) {
                if (tier(member.kind) != wanted || other.draws(drawing(member)))
                    continue;
                DiffPlace place;
                forEachEnd(design, member, [&](int sheet, Point at) {
                    if (place.sheet == 0)
                        place = {sheet, at};
                });
                return place;
            }
        }
        return placeOf(net);
    }
    bool hasJunction(int sheet, Point at) const {
        if (junctions_.empty()) {
            for (const Junction& junction : design.junctions)
                junctions_.emplace(junction.sheet, junction.at.x, junction.at.y);
        }
        return junctions_.count({sheet, at.x, at.y}) != 0;
    }
    DiffPlace placeOfPin(std::string_view pin) const {
        const Pin* found = allPins.at(pin);
        return {found->sheet, found->end};
    }

    // An item as the drawing shows it: its kind, its ends in order and its
    // text; the same in any revision that draws it alike.
    std::string drawing(ItemRef item, bool withText = true) const {
        std::vector<std::tuple<int, std::int32_t, std::int32_t>> ends;
        forEachEnd(design, item,
                   [&](int sheet, Point at) { ends.emplace_back(sheet, at.x, at.y); });
        std::sort(ends.begin(), ends.end());
        std::string text = std::to_string(static_cast<int>(item.kind));
        for (const auto& [sheet, x, y] : ends) {
            text += ' ';
            text += std::to_string(sheet);
            text += ':';
            text += std::to_string(x);
            text += ',';
            text += std::to_string(y);
        }
        if (!withText || item.kind == ItemKind::Pin)
            return text;
        if (item.kind == ItemKind::Label)
            text += " " + design.labels[item.index].name;
        else if (item.kind == ItemKind::Tag)
            text += " " + design.tags[item.index].name;
        return text;
    }
    // Whether the revision draws an item so on a net it writes.
    bool draws(const std::string& item) const {
        if (drawn_.empty()) {
            for (const Net* net : nets) {
                for (const ItemRef& member : net->members)
                    drawn_.insert(drawing(member));
            }
        }
        return drawn_.count(item) != 0;
    }

    const Design& design;
    const References& renamed;
    mutable std::unordered_set<std::string> drawn_;
    mutable std::set<std::tuple<int, std::int32_t, std::int32_t>> junctions_;
    std::vector<std::string> keys; // of each pin of a part with a reference
    std::vector<const Net*> nets;
    std::vector<std::vector<std::string_view>> pins; // sorted
    std::unordered_map<std::string_view, int> netOf;
    std::unordered_map<std::string_view, const Pin*>
        allPins; // every pin of a part with a reference
};

class NetDiff {
  public:
    NetDiff(const Design& oldDesign, const Design& newDesign, const References& renamed,
            DesignDiff& diff)
        : old_(oldDesign, renamed), new_(newDesign), diff_(diff), oldMatch_(old_.nets.size(), -1),
          newMatch_(new_.nets.size(), -1) {}

    void run() {
        matchByKey();
        matchByOverlap();
        matchByDrawing();
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

    // Nets of one revision, in their order, each once. Most nets' pins go
    // to one net, so a sorted vector serves where a set would allocate a
    // node for each.
    using NetSet = std::vector<int>;

    // The nets of the other revision that a net's pins are on.
    static NetSet netsOfPins(const std::vector<std::string_view>& pins, const Side& other) {
        NetSet nets;
        for (std::string_view pin : pins) {
            int net = other.netOfPin(pin);
            if (net >= 0)
                nets.push_back(net);
        }
        std::sort(nets.begin(), nets.end());
        nets.erase(std::unique(nets.begin(), nets.end()), nets.end());
        return nets;
    }
    // The new nets an old net's pins went to, and the old nets a new net's
    // pins came from.
    NetSet targets(int oldNet) const { return netsOfPins(old_.pins[oldNet], new_); }
    NetSet origins(int newNet) const { return netsOfPins(new_.pins[newNet], old_); }

    // An old and a new net left over that share pins with each other and
    // with no other net left over are one net whose pins changed: pins
    // that went to or came from nets already matched moved, whatever the
    // nets are called.
    void matchByOverlap() {
        for (std::size_t i = 0; i < old_.nets.size(); ++i) {
            if (oldMatch_[i] >= 0)
                continue;
            NetSet to = leftOver(targets(static_cast<int>(i)), newMatch_);
            if (to.size() != 1)
                continue;
            int j = *to.begin();
            if (leftOver(origins(j), oldMatch_) == NetSet{static_cast<int>(i)})
                match(static_cast<int>(i), j);
        }
    }

    // An old and a new net left over that are drawn with the same wires,
    // labels or tags in the same places (whatever the labels say), and
    // with those of no other net left over, are one net: its pins changed
    // and it may have been renamed.
    void matchByDrawing() {
        std::unordered_map<std::string, std::set<int>> newNetsDrawn;
        for (std::size_t j = 0; j < new_.nets.size(); ++j) {
            if (newMatch_[j] >= 0)
                continue;
            for (const ItemRef& member : new_.nets[j]->members) {
                if (member.kind != ItemKind::Pin)
                    newNetsDrawn[new_.drawing(member, false)].insert(static_cast<int>(j));
            }
        }
        if (newNetsDrawn.empty())
            return;
        std::vector<std::set<int>> candidates(old_.nets.size());
        std::unordered_map<int, std::set<int>> claimedBy;
        for (std::size_t i = 0; i < old_.nets.size(); ++i) {
            if (oldMatch_[i] >= 0)
                continue;
            for (const ItemRef& member : old_.nets[i]->members) {
                auto found = newNetsDrawn.find(old_.drawing(member, false));
                if (member.kind == ItemKind::Pin || found == newNetsDrawn.end())
                    continue;
                for (int j : found->second) {
                    candidates[i].insert(j);
                    claimedBy[j].insert(static_cast<int>(i));
                }
            }
        }
        for (std::size_t i = 0; i < old_.nets.size(); ++i) {
            if (candidates[i].size() != 1)
                continue;
            const int j = *candidates[i].begin();
            if (claimedBy[j] == std::set<int>{static_cast<int>(i)})
                match(static_cast<int>(i), j);
        }
    }

    static NetSet leftOver(const NetSet& nets, const std::vector<int>& matches) {
        NetSet out;
        for (int net : nets) {
            if (matches[net] < 0)
                out.push_back(net);
        }
        return out;
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

    static std::vector<std::string> strings(const std::vector<std::string_view>& views) {
        return {views.begin(), views.end()};
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
            const NetSet& to = oldTargets_[i];
            if (to.empty()) {
                diff_.netsRemoved.push_back(
                    {oldKey(oldNet), "", strings(old_.pins[i]), old_.placeOf(oldNet)});
            } else if (to.size() >= 2) {
                NetFlow split;
                split.from = {oldKey(oldNet)};
                for (int net : to)
                    split.into.push_back(newKey(net));
                split.gone = true;
                split.place = old_.placeOfChange(oldNet, new_);
                splitOf_[oldNet] = {diff_.netsSplit.size(), {to.begin(), to.end()}};
                diff_.netsSplit.push_back(split);
            }
        }
        for (std::size_t j = 0; j < new_.nets.size(); ++j) {
            const int newNet = static_cast<int>(j);
            const NetSet& from = newOrigins_[j];
            if (newMatch_[j] < 0 && from.empty()) {
                diff_.netsAdded.push_back(
                    {newKey(newNet), "", strings(new_.pins[j]), new_.placeOf(newNet)});
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
            merged.place = new_.placeOfChange(newNet, old_);
            mergeOf_[newNet] = {diff_.netsMerged.size(), mergedNets};
            diff_.netsMerged.push_back(merged);
        }
        pins();
    }

    // Whether every pin of an old net is on the new net.
    bool allPinsOn(int oldNet, int newNet) const {
        for (std::string_view pin : old_.pins[oldNet]) {
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
            if (newMatch_[newNet] < 0 && newOrigins_[newNet] == NetSet{oldNet}) {
                split.into.push_back(newKey(newNet));
                offs.insert(newNet);
            }
        }
        if (split.into.empty())
            return;
        splitOf_[oldNet] = {diff_.netsSplit.size(), offs};
        split.from = {oldKey(oldNet)};
        split.into.insert(split.into.begin(), newKey(oldMatch_[oldNet]));
        split.place = old_.placeOfChange(oldNet, new_);
        diff_.netsSplit.push_back(split);
    }

    // Every pin on a net of either revision that is not on the same net in
    // both, once, in the order of their keys.
    void pins() {
        std::vector<std::string_view> changed;
        for (const auto& [pin, oldNet] : old_.netOf) {
            if (oldMatch_[oldNet] < 0 || new_.netOfPin(pin) != oldMatch_[oldNet])
                changed.push_back(pin);
        }
        for (const auto& [pin, newNet] : new_.netOf) {
            if (old_.netOf.count(pin) == 0)
                changed.push_back(pin);
        }
        std::sort(changed.begin(), changed.end());
        for (std::string_view pin : changed) {
            const int oldNet = old_.netOfPin(pin);
            const int newNet = new_.netOfPin(pin);
            if (oldNet >= 0 && newNet >= 0) {
                // Every pin whose net changed is listed: under the merge or
                // split it is part of, or as a move of its own.
                if (oldMatch_[oldNet] != newNet)
                    flowPins(oldNet, newNet)
                        .push_back({std::string(pin), oldKey(oldNet), newKey(newNet),
                                    new_.placeOfPin(pin)});
            } else if (newNet >= 0) {
                // A pin of a new part comes with the part; the pins of a new
                // net are listed with it.
                bool added = newMatch_[newNet] < 0 && newOrigins_[newNet].empty();
                if (old_.allPins.count(pin) != 0 && !added)
                    diff_.pinsConnected.push_back(
                        {std::string(pin), "", newKey(newNet), new_.placeOfPin(pin)});
            } else if (oldNet >= 0) {
                bool removed = oldMatch_[oldNet] < 0 && oldTargets_[oldNet].empty();
                if (new_.allPins.count(pin) != 0 && !removed)
                    diff_.pinsDisconnected.push_back(
                        {std::string(pin), oldKey(oldNet), "", new_.placeOfPin(pin)});
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
    std::vector<NetSet> oldTargets_;
    std::vector<NetSet> newOrigins_;
    std::map<int, Flow> mergeOf_; // by new net
    std::map<int, Flow> splitOf_; // by old net
};

} // namespace

void diffNets(const Design& oldDesign, const Design& newDesign, const References& renamed,
              DesignDiff& diff) {
    NetDiff(oldDesign, newDesign, renamed, diff).run();
}

} // namespace dovla::model
