#pragma once

#include <cstdint>
#include <unordered_map>
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
};

// Turns the geometry of the object store into bus groups and nets, in eight
// fixed stages.
class NetBuilder {
  public:
    NetBuilder(ObjectStore& store, const ExcludedNameList& excluded, std::int32_t scanStep,
               WirePieceSink* pieces = nullptr)
        : store_(store), excluded_(excluded), scanStep_(scanStep), pieces_(pieces),
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
    void scanWire(SheetObject* wire);
    // Returns whether the wire was cut there.
    bool checkWirePoint(std::int32_t x, std::int32_t y, std::uint32_t point, SheetObject* wire);
    static bool isFreeWireEntryEnd(std::int32_t x, std::int32_t y, const SheetObject* object);
    void splitWire(std::int32_t x, std::int32_t y, SheetObject* wire);
    void joinAllEnds();
    void joinAtEnd(std::int32_t x, std::int32_t y, SheetObject* object);

    // Stages 6 and 8: nets joined through buses, power pins.
    void joinBusWires();
    void recordEntryNets(std::int32_t x, std::int32_t y, SheetObject* member);
    SheetObject* firstNamedMember(GroupId net);
    void joinPowerPins();

  private:
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
    void learnScan(CrowdedPoint& point, std::int32_t x, std::int32_t y);
    void learnEnds(CrowdedPoint& point, std::int32_t x, std::int32_t y);
    void learnEntries(CrowdedPoint& point, std::int32_t x, std::int32_t y);
    void recordNet(SheetObject* entry, GroupId net);

    ObjectStore& store_;
    const ExcludedNameList& excluded_;
    std::int32_t scanStep_;
    WirePieceSink* pieces_;
    CrowdedPoints crowded_;
    // The nets met at each group's wire entries during stage 6.
    std::unordered_map<GroupId, std::vector<GroupId>> attachedNets_;
};

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
