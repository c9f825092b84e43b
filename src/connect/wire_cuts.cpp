#include <algorithm>
#include <set>
#include <utility>

#include "connect/net_builder.h"

namespace dovla {

// How the wires are cut where other items' ends lie inside them.
//
// A wire is scanned along its raster, from end 1, and cut at the first
// point where a junction, a wire, a tag or a pin has an end, or a wire
// entry a free end; the rest of it is appended to the objects as a new
// wire, scanned in its turn. Nothing that decides a cut changes while the
// wires are cut: ends are only added where a wire is cut, so where
// something cuts already, or where a wire's own end was. So every wire is
// cut at each such point of its raster, and its pieces are known before
// any is made. The pieces of round r (the r-th cut off a wire) follow all
// those of round r - 1, in the order of their wires; each cut moves the
// cut wire's end 2 to the cut and registers the new piece's end 2, then
// its end 1. The registrations are made in that order, so that every
// point search meets the ends as it would had the wires been scanned one
// by one.
//
// Where many wires lie along one line, they are cut at one another's ends
// into as many pieces as the square of their number. Pieces with the same
// two ends, made alike (each either ending its wire or not), have the same
// direction at each end and are joined with the same items; the first of
// them, in the order of the objects, is met before the others by every
// search and joins first, and the second joins the first, at its place in
// the search. Beyond these two, the others only follow into the group the
// first two are in and add a direction both already show. So unless every
// piece is wanted (the long listing shows them; the design's readers list
// them while they are not too many to hold), only the first two of each
// kind are made, and the nets, their order and the order of every item in
// them but wires come out the same.

namespace {

bool cutsWires(const ObjectStore& store, std::int32_t x, std::int32_t y, std::uint32_t point,
               std::uint32_t kinds) {
    constexpr std::uint32_t cutting = 1u << Junction | 1u << Wire | 1u << Tag | 1u << Pin;
    if (kinds & cutting)
        return true;
    if ((kinds & (1u << BusEntry)) == 0)
        return false;
    const PointGrid& grid = store.grid();
    const std::uint32_t first = grid.point(point).first;
    if (first == PointGrid::none)
        return false;
    std::uint32_t node = first;
    do {
        if (NetBuilder::isFreeWireEntryEnd(x, y, &store.object(grid.node(node).object)))
            return true;
        node = grid.node(node).next;
    } while (node != first);
    return false;
}

// A scanned wire by its line (orientation, raster and place across) and
// then its end 1 and its place in the store.
struct LineKey {
    std::uint64_t line, place;
    std::int32_t to; // end 2, along the line
};

// Sorts the keys by line and then by end 1, equal ones in the order of the
// store (the order they come in): a stable radix sort on 16-bit digits,
// which passes over the wires a few times where a comparison sort takes
// many, and skips the digits all wires share.
void sortByLine(std::vector<LineKey>& keys) {
    if (keys.empty())
        return;
    std::vector<LineKey> sorted(keys.size());
    std::vector<std::uint32_t> starts(0x10001);
    // Digits 0 and 1 are end 1, digits 2 to 5 the line.
    auto digit = [](const LineKey& key, int d) {
        const std::uint64_t word = d < 2 ? key.place : key.line;
        return static_cast<std::uint32_t>(word >> (d < 2 ? 32 + 16 * d : 16 * (d - 2)) & 0xFFFF);
    };
    for (int d = 0; d < 6; ++d) {
        std::fill(starts.begin(), starts.end(), 0);
        for (const LineKey& key : keys)
            ++starts[digit(key, d) + 1];
        if (starts[digit(keys.front(), d) + 1] == keys.size())
            continue;
        for (std::size_t i = 1; i < starts.size(); ++i)
            starts[i] += starts[i - 1];
        for (const LineKey& key : keys)
            sorted[starts[digit(key, d)]++] = key;
        keys.swap(sorted);
    }
}

// The first of the label points, sorted along the line, that lies beyond a
// place.
template <typename Iterator>
Iterator firstLabelAfter(Iterator begin, Iterator end, std::int32_t along) {
    return std::upper_bound(begin, end, along, [](std::int32_t place, const auto& point) {
        return place < point.along;
    });
}

} // namespace

void NetBuilder::cutWires() {
    findCuts();
    rankCutWires();
    std::uint64_t pieces = 0;
    for (const CutWire& w : cutWires_)
        pieces += w.cutCount;
    if (pieces <= detail_.everyUpTo) {
        cutEveryPiece();
    } else {
        cutFirstPieces();
        if (pieces_ != nullptr)
            pieces_->piecesLeftOut(pieces - pieceWires_.size());
    }
    joinScannedLabels();
    cutWires_.clear();
    cuts_.clear();
    labels_.clear();
    runs_.clear();
    storeOrder_.clear();
    pieceWires_.clear();
}

// The cut points of each wire: the points of its raster strictly between
// its ends where something cuts. Wires are taken by line and raster, in
// runs that overlap, and the points of each run are read once. Wires that
// are neither cut nor meet a label are left alone.
void NetBuilder::findCuts() {
    // The keys take room for every wire at once; they are counted first.
    auto scanned = [](const SheetObject& o) {
        return isScanned(o, Wire) && (o.y1 == o.y2 ? o.x1 < o.x2 : o.x1 == o.x2 && o.y1 < o.y2);
    };
    std::size_t wires = 0;
    for (std::uint32_t i = 0; i < store_.objectCount(); ++i)
        wires += scanned(store_.object(i));
    std::vector<LineKey> keys;
    keys.reserve(wires);
    for (std::uint32_t i = 0; i < store_.objectCount(); ++i) {
        const SheetObject& o = store_.object(i);
        if (!scanned(o))
            continue;
        const bool horizontal = o.y1 == o.y2;
        const std::int32_t from = horizontal ? o.x1 : o.y1;
        std::int64_t phase = std::int64_t{from} % scanStep_;
        if (phase < 0)
            phase += scanStep_;
        keys.push_back({std::uint64_t{horizontal} << 63 | static_cast<std::uint64_t>(phase) << 32 |
                            static_cast<std::uint32_t>(horizontal ? o.y1 : o.x1),
                        std::uint64_t{static_cast<std::uint32_t>(from) ^ 0x80000000u} << 32 | i,
                        horizontal ? o.x2 : o.y2});
    }
    sortByLine(keys);
    auto wireOf = [](const LineKey& key) {
        CutWire w{};
        w.wire = static_cast<std::uint32_t>(key.place);
        w.horizontal = (key.line >> 63) != 0;
        w.fixed = static_cast<std::int32_t>(static_cast<std::uint32_t>(key.line));
        w.from =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(key.place >> 32) ^ 0x80000000u);
        w.to = key.to;
        w.piece = noObject;
        return w;
    };
    for (std::size_t begin = 0; begin < keys.size();) {
        const CutWire head = wireOf(keys[begin]);
        std::int32_t reach = head.to;
        std::size_t end = begin + 1;
        for (; end < keys.size() && keys[end].line == keys[begin].line &&
               wireOf(keys[end]).from <= reach;
             ++end)
            reach = std::max(reach, keys[end].to);
        const std::uint32_t runCuts = cuts_.size();
        const std::uint32_t runLabels = labels_.size();
        const std::uint32_t runWires = cutWires_.size();
        store_.grid().forEachPointOnLine(head.horizontal, head.fixed, head.from, reach, head.from,
                                         scanStep_, [&](std::int32_t along, std::uint32_t point) {
                                             const std::uint32_t kinds =
                                                 store_.grid().point(point).kinds;
                                             const auto [x, y] = head.pointAt(along);
                                             if (cutsWires(store_, x, y, point, kinds))
                                                 cuts_.push_back(along);
                                             if (kinds & (1u << Label))
                                                 labels_.push_back({along, point});
                                             return true;
                                         });
        const auto cutsBegin = cuts_.begin() + runCuts;
        const auto labelsBegin = labels_.begin() + runLabels;
        for (std::size_t k = begin; k < end; ++k) {
            CutWire w = wireOf(keys[k]);
            auto after = std::upper_bound(cutsBegin, cuts_.end(), w.from);
            auto before = std::lower_bound(cutsBegin, cuts_.end(), w.to);
            auto label = firstLabelAfter(labelsBegin, labels_.end(), w.from);
            if (before <= after && (label == labels_.end() || label->along >= w.to))
                continue;
            w.firstCut = static_cast<std::uint32_t>(after - cuts_.begin());
            w.cutCount = static_cast<std::uint32_t>(std::max<std::ptrdiff_t>(before - after, 0));
            w.firstLabel = runLabels;
            w.endLabel = labels_.size();
            cutWires_.push_back(w);
        }
        const std::uint32_t kept = cutWires_.size() - runWires;
        if (kept == 0) {
            cuts_.resize(runCuts);
            labels_.resize(runLabels);
        } else if (kept == 1) {
            cutWires_.back().alone = true;
        } else {
            runs_.push_back({runWires, static_cast<std::uint32_t>(cutWires_.size())});
        }
        begin = end;
    }
}

// The cut wires in the order of the store, which is the order of the cuts
// of each round.
void NetBuilder::rankCutWires() {
    std::vector<std::uint32_t> slot(store_.objectCount(), noObject);
    for (std::uint32_t i = 0; i < cutWires_.size(); ++i)
        slot[cutWires_[i].wire] = i;
    for (std::uint32_t i : slot) {
        if (i != noObject) {
            cutWires_[i].rank = storeOrder_.size();
            storeOrder_.push_back(i);
        }
    }
}

void NetBuilder::cutEveryPiece() {
    std::vector<std::uint32_t> active = storeOrder_;
    for (std::uint32_t round = 0; !active.empty(); ++round) {
        std::erase_if(active, [&](std::uint32_t i) { return cutWires_[i].cutCount <= round; });
        for (std::uint32_t i : active)
            cutStep({round, i, true, true});
    }
}

// The first two pieces of each kind, in the order of the objects: between
// two neighbouring cuts of a run, the pieces of the wires that reach them
// in the fewest rounds (the wires that start nearest), the first wires
// first; of the pieces that end their wires, likewise for each pair of
// start and end.
void NetBuilder::cutFirstPieces() {
    // The cuts of round 0 end every cut wire's first piece; the others
    // are gathered.
    std::vector<CutStep> steps;
    auto make = [&](std::uint32_t wire, std::uint32_t round) {
        if (round == 0)
            return;
        if (round == 1)
            cutWires_[wire].secondMade = true;
        else
            steps.push_back({round - 1, wire, false, true});
        if (round < cutWires_[wire].cutCount)
            steps.push_back({round, wire, true, false});
    };
    // A wire alone on its stretch of line has every piece made.
    for (std::uint32_t i = 0; i < cutWires_.size(); ++i) {
        if (cutWires_[i].alone) {
            for (std::uint32_t round = 1; round <= cutWires_[i].cutCount; ++round)
                make(i, round);
        }
    }
    for (const Run& run : runs_) {
        struct Reach {
            std::uint32_t start; // the cut at end 1, as an index into cuts_
            ObjectId wire;
            std::uint32_t last;  // the cut past its last piece that is cut again
            std::uint32_t index; // in cutWires_
            // The piece that comes first sorts first.
            bool operator<(const Reach& other) const {
                return start != other.start ? start > other.start : wire < other.wire;
            }
        };
        std::vector<Reach> reaches;
        std::vector<std::pair<std::pair<std::uint32_t, std::int32_t>, Reach>> endings;
        for (std::uint32_t k = run.begin; k < run.end; ++k) {
            const CutWire& w = cutWires_[k];
            Reach reach{w.firstCut - 1, w.wire, w.firstCut - 1 + w.cutCount, k};
            if (w.cutCount > 0)
                reaches.push_back(reach);
            endings.push_back({{reach.last, w.to}, reach});
        }
        // Between cuts k and k + 1 lie the pieces of round k - start of the
        // wires that start at or before cut k and are cut again at k + 1.
        std::vector<Reach> byLast = reaches;
        std::sort(byLast.begin(), byLast.end(),
                  [](const Reach& a, const Reach& b) { return a.last < b.last; });
        std::set<Reach> reaching;
        std::size_t started = 0, stopped = 0;
        const std::uint32_t lowest = reaches.empty() ? 0 : reaches.front().start;
        const std::uint32_t highest = byLast.empty() ? 0 : byLast.back().last;
        for (std::uint32_t k = lowest; k < highest; ++k) {
            for (; started < reaches.size() && reaches[started].start == k; ++started)
                reaching.insert(reaches[started]);
            for (; stopped < byLast.size() && byLast[stopped].last == k; ++stopped)
                reaching.erase(byLast[stopped]);
            auto first = reaching.begin();
            for (int made = 0; made < 2 && first != reaching.end(); ++made, ++first)
                make(first->index, k - first->start);
        }
        std::sort(endings.begin(), endings.end(), [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first < b.first : a.second < b.second;
        });
        for (std::size_t e = 0; e < endings.size(); ++e) {
            if (e < 2 || endings[e].first != endings[e - 2].first)
                make(endings[e].second.index, endings[e].second.last - endings[e].second.start);
        }
    }
    for (std::uint32_t i : storeOrder_) {
        if (cutWires_[i].cutCount > 0)
            cutStep({0, i, true, cutWires_[i].secondMade});
    }
    std::sort(steps.begin(), steps.end(), [&](const CutStep& a, const CutStep& b) {
        return a.round != b.round ? a.round < b.round
                                  : cutWires_[a.wire].rank < cutWires_[b.wire].rank;
    });
    for (std::size_t s = 0; s < steps.size();) {
        CutStep step = steps[s];
        for (++s; s < steps.size() && steps[s].round == step.round && steps[s].wire == step.wire;
             ++s) {
            step.endsPiece |= steps[s].endsPiece;
            step.makesPiece |= steps[s].makesPiece;
        }
        cutStep(step);
    }
}

// The cut of a wire's piece of round r at its cut r + 1: the piece's end 2
// moves there, and the piece of round r + 1 begins there.
void NetBuilder::cutStep(const CutStep& step) {
    CutWire& w = cutWires_[step.wire];
    auto at = [&](std::uint32_t cut) { return w.pointAt(cuts_[w.firstCut + cut - 1]); };
    const auto [x, y] = at(step.round + 1);
    if (step.endsPiece) {
        if (step.round == 0) {
            store_.moveEnd2(store_.object(w.wire), x, y);
        } else {
            store_.registerEnd2(w.piece);
        }
    }
    if (!step.makesPiece)
        return;
    const bool ending = step.round + 1 == w.cutCount;
    const auto [x2, y2] = ending ? w.pointAt(w.to) : at(step.round + 2);
    w.piece = store_.appendPiece(w.wire, x, y, x2, y2);
    pieceWires_.push_back(step.wire);
    if (ending)
        store_.registerEnd2(w.piece);
    store_.registerEnd1(w.piece);
    if (pieces_ != nullptr)
        pieces_->pieceCut(w.piece, w.wire);
}

// Each scanned wire and piece, in the order of the objects, joins the
// labels on its raster beyond its end 1, up to its cut (which the scan
// reached) or short of its wire's end 2.
void NetBuilder::joinScannedLabels() {
    auto scan = [&](ObjectId id, const CutWire& w) {
        SheetObject& piece = store_.object(id);
        const std::int32_t from = w.horizontal ? piece.x1 : piece.y1;
        const std::int32_t to = w.horizontal ? piece.x2 : piece.y2;
        auto label =
            firstLabelAfter(labels_.begin() + w.firstLabel, labels_.begin() + w.endLabel, from);
        for (; label != labels_.begin() + w.endLabel &&
               (label->along < to || (label->along == to && to != w.to));
             ++label) {
            const auto [x, y] = w.pointAt(label->along);
            forEachEndAt(store_, x, y, [&](SheetObject* p) {
                if (p->kind == Label)
                    joinWithLabel(&piece, p);
            });
        }
    };
    for (std::uint32_t i : storeOrder_)
        scan(cutWires_[i].wire, cutWires_[i]);
    const ObjectId firstPiece = store_.objectCount() - pieceWires_.size();
    for (std::uint32_t i = 0; i < pieceWires_.size(); ++i)
        scan(firstPiece + i, cutWires_[pieceWires_[i]]);
}

} // namespace dovla
