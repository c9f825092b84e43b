#include "design_diff.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "diff_stages.h"

namespace dovla::model {

namespace {

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
    diffNets(oldDesign, newDesign, renamed, diff);
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

} // namespace dovla::model
