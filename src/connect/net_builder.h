#pragma once

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <utility>
#include <vector>

#include "connect/crowded_points.h"
#include "connect/object_store.h"

namespace dovla {

class ExcludedNameList;

// Told of every piece the builder cuts off a wire where another item's end
// lies inside it: the objects' indices in the store.
class WirePieceSink {
  public:
    virtual ~WirePieceSink() = default;
    virtual void pieceCut(std::uint32_t piece, std::uint32_t from) = 0;
    // How many pieces the cutting left out, when it did (PieceDetail).
    virtual void piecesLeftOut(std::uint64_t) {}
};

// Which pieces the cutting of wires makes. Of the pieces that lie between
// the same two points and are made alike, the first two are all that the
// nets and the order of their items other than wires depend on. While the
// cuts make at most `everyUpTo` pieces, every one is made; beyond, only
// the first two of each kind, so that wires overlapping along a line do
// not take the square of their number.
struct PieceDetail {
    std::uint64_t everyUpTo;
};
inline constexpr PieceDetail everyPiece{UINT64_MAX};
inline constexpr PieceDetail firstPiecesOfAlike{0};

// Turns the geometry of the object store into bus groups and nets, in eight
// fixed stages.
class NetBuilder {
  public:
    NetBuilder(ObjectStore& store, const ExcludedNameList& excluded, std::int32_t scanStep,
               WirePieceSink* pieces = nullptr, PieceDetail detail = everyPiece)
        : store_(store), excluded_(excluded), scanStep_(scanStep), pieces_(pieces), detail_(detail),
          crowded_(store) {}
    NetBuilder(const NetBuilder&) = delete;
    NetBuilder& operator=(const NetBuilder&) = delete;

    int buildNets();

    // Puts a and b into one group; a new group goes to the end of `ring`.
    void joinObjects(GroupList& ring, SheetObject* a, SheetObject* b);

    // Stages 1 to 3 and 7: buses, bus entries, tags.
    void scanBus(SheetObject* bus);
    // At a point whose record (PointGrid::findPoint) is known.
    void joinAtBusPoint(std::int32_t x, std::int32_t y, std::uint32_t point, SheetObject* bus);
    static void markJoinedEnd(std::int32_t x, std::int32_t y, SheetObject* object);
    void tagBusEnds(SheetObject* bus);
    void joinByTagName(GroupList& ring);
    SheetObject* firstTag(const Group& group);

    // Stages 4 and 5: wires, junctions, labels.
    void cutWires();
    static bool isFreeWireEntryEnd(std::int32_t x, std::int32_t y, const SheetObject* object);
    void joinAllEnds();
    void joinAtEnd(std::int32_t x, std::int32_t y, SheetObject* object);

    // Stages 6 and 8: nets joined through buses, power pins.
    void joinBusWires();
    void recordEntryNets(std::int32_t x, std::int32_t y, SheetObject* member);
    SheetObject* firstNamedMember(GroupId net);
    void joinPowerPins();

  private:
    // A wire that the scan reaches (along its line, from end 1 to end 2)
    // and that is cut or has labels on its raster.
    struct CutWire {
        ObjectId wire;
        bool horizontal;
        std::int32_t fixed;
        std::int32_t from, to;
        std::uint32_t firstCut; // its cut points, in cuts_
        std::uint32_t cutCount;
        std::uint32_t firstLabel, endLabel; // the labels of its run, in labels_
        std::uint32_t rank; // its place among the cut wires in the order of the store
        bool secondMade;    // whether its piece of round 1 is made
        bool alone;         // no other wire of its run is kept
        ObjectId piece;     // its last piece made, whose end 2 may wait for its cut

        std::pair<std::int32_t, std::int32_t> pointAt(std::int32_t along) const {
            return horizontal ? std::pair(along, fixed) : std::pair(fixed, along);
        }
    };
    // One moment of the cutting: the cut of a wire's piece of a round,
    // which ends that piece (when it is made) and makes the next (when
    // that is made).
    struct CutStep {
        std::uint32_t round;
        std::uint32_t wire; // in cutWires_
        bool endsPiece;
        bool makesPiece;
    };
    // Two or more wires kept that overlap on one line and raster:
    // cutWires_[begin, end), by end 1.
    struct Run {
        std::uint32_t begin, end;
    };
    struct LabelPoint {
        std::int32_t along;
        std::uint32_t point;
    };
    void findCuts();
    void rankCutWires();
    void cutEveryPiece();
    void cutFirstPieces();
    void cutStep(const CutStep& step);
    void joinScannedLabels();

    // Visits, in increasing order, the points of the scan step's raster
    // counted from `from` that lie after `from`, up to `to` (inclusive or
    // not), on the horizontal line y = fixed (or the vertical x = fixed),
    // where some end lies; visit(along, point) returns false to stop. A
    // search at a point where nothing ends finds nothing, so these are all
    // the points a scan must visit.
    template <typename Visit>
    void forEachRasterPoint(bool horizontal, std::int32_t fixed, std::int32_t from, std::int32_t to,
                            bool inclusiveEnd, Visit visit);

    void joinAtBusPointBySearch(std::int32_t x, std::int32_t y, std::uint32_t point,
                                SheetObject* bus);
    void joinAtBusPointVisited(std::int32_t x, std::int32_t y, CrowdedPoint& point,
                               SheetObject* bus);
    void joinTagsAt(std::int32_t x, std::int32_t y, SheetObject* bus);
    void learnBusTargets(CrowdedPoint& point, std::int32_t x, std::int32_t y);
    void learnTags(CrowdedPoint& point, std::int32_t x, std::int32_t y);
    void joinWithLabel(SheetObject* wire, SheetObject* label);
    void joinAtEndBySearch(std::int32_t x, std::int32_t y, std::uint32_t point,
                           SheetObject* object);
    bool othersShareOneDirection(const CrowdedPoint& point, std::int32_t x, std::int32_t y,
                                 const SheetObject* object) const;
    void learnEnds(CrowdedPoint& point, std::int32_t x, std::int32_t y);
    void learnEntries(CrowdedPoint& point, std::int32_t x, std::int32_t y);
    void recordNet(SheetObject* entry, GroupId net);

    ObjectStore& store_;
    const ExcludedNameList& excluded_;
    std::int32_t scanStep_;
    WirePieceSink* pieces_;
    PieceDetail detail_;
    CrowdedPoints crowded_;
    // While wires are cut: the wires that are cut or meet labels, run by
    // run (in chunks, so that growing copies none); the cut points and the
    // label points of each run; the wire of each piece made.
    std::deque<CutWire> cutWires_;
    std::vector<std::int32_t> cuts_;
    std::vector<LabelPoint> labels_;
    std::vector<Run> runs_;
    std::vector<std::uint32_t> storeOrder_; // cutWires_ by rank
    std::vector<std::uint32_t> pieceWires_;
    // The nets met at each group's wire entries during stage 6.
    std::unordered_map<GroupId, std::vector<GroupId>> attachedNets_;
};

// Whether a scan runs along an object of a kind. Bit 1 is set in the codes
// 2, 3 and 10; with buses and wires delivered end 1 first, that leaves out
// exactly those of zero length.
inline bool isScanned(const SheetObject& object, std::uint8_t kind) {
    return object.kind == kind && (object.dir1 & 2) == 0;
}

// The label test: a label belongs to the vertical objects when its bit 3 is
// set, to the horizontal ones when it is clear.
inline bool labelBelongsTo(const SheetObject& object, const SheetObject& label) {
    bool vertical = (object.dir1 & 1) != 0;
    bool verticalLabel = (label.attr & verticalLabelBit) != 0;
    return vertical == verticalLabel;
}

template <typename Visit>
void NetBuilder::forEachRasterPoint(bool horizontal, std::int32_t fixed, std::int32_t from,
                                    std::int32_t to, bool inclusiveEnd, Visit visit) {
    const std::int64_t last = inclusiveEnd ? std::int64_t{to} : std::int64_t{to} - 1;
    store_.grid().forEachPointOnLine(horizontal, fixed, std::int64_t{from} + 1, last, from,
                                     scanStep_, visit);
}

} // namespace dovla
