#pragma once

#include <cstdint>
#include <vector>

#include "connect/object_store.h"

namespace dovla {

class ExcludedNameList;

// Turns the geometry of the object store into bus groups and nets, in eight
// fixed stages. The scans and the two name joins are virtual so that the
// tests can run the literal point-by-point and pairwise forms beside them.
class NetBuilder {
  public:
    NetBuilder(ObjectStore& store, const ExcludedNameList& excluded, std::int32_t scanStep)
        : store_(store), excluded_(excluded), scanStep_(scanStep) {}
    virtual ~NetBuilder() = default;
    NetBuilder(const NetBuilder&) = delete;
    NetBuilder& operator=(const NetBuilder&) = delete;

    int buildNets();

    void joinObjects(RingNode* ring, SheetObject* a, SheetObject* b);

    // Stages 1 to 3 and 7: buses, bus entries, tags.
    virtual void scanBus(SheetObject* bus);
    void joinAtBusPoint(std::int32_t x, std::int32_t y, SheetObject* bus);
    static void markJoinedEnd(std::int32_t x, std::int32_t y, SheetObject* object);
    void tagBusEnds(SheetObject* bus);
    virtual void joinByTagName(RingNode* ring);
    static SheetObject* firstTag(RingNode* head);

    // Stages 4 and 5: wires, junctions, labels.
    virtual void scanWire(SheetObject* wire);
    void checkWirePoint(std::int32_t x, std::int32_t y, SheetObject* wire);
    static bool isFreeWireEntryEnd(std::int32_t x, std::int32_t y, const SheetObject* object);
    void splitWire(std::int32_t x, std::int32_t y, SheetObject* wire);
    void joinAllEnds();
    void joinAtEnd(std::int32_t x, std::int32_t y, SheetObject* object);

    // Stages 6 and 8: nets joined through buses, power pins.
    void joinBusWires();
    void recordEntryNets(std::int32_t x, std::int32_t y, SheetObject* member);
    static SheetObject* firstNamedMember(RingNode* net);
    virtual void joinPowerPins();

    std::int32_t scanStep() const { return scanStep_; }
    ObjectStore& store() { return store_; }
    const ExcludedNameList& excluded() const { return excluded_; }

  protected:
    // The raster points strictly between `from` and `to` (or up to and
    // including `to` when `inclusiveEnd`), counted from `from` by the scan
    // step, at which some object has an end on the horizontal line y
    // (`horizontal`) or on the vertical line x = `fixed`; in increasing
    // order, each once.
    std::vector<std::int32_t> rasterPointsWithEnds(bool horizontal, std::int32_t fixed,
                                                   std::int32_t from, std::int32_t to,
                                                   bool inclusiveEnd);

  private:
    ObjectStore& store_;
    const ExcludedNameList& excluded_;
    std::int32_t scanStep_;
};

// The label test: a label belongs to the vertical objects when its bit 3 is
// set, to the horizontal ones when it is clear.
inline bool labelBelongsTo(const SheetObject& object, const SheetObject& label) {
    bool vertical = (object.dir1 & 1) != 0;
    bool verticalLabel = (label.attr & verticalLabelBit) != 0;
    return vertical == verticalLabel;
}

} // namespace dovla
