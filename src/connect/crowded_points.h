#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "connect/group.h"
#include "connect/sheet_object.h"

namespace dovla {

class ObjectStore;

// What the stages learn once about a point where many ends meet, so that
// the work at such a point costs what it changes, not the square of the
// ends there. Points with few ends are searched each time; the answers are
// the same, and the equivalence tests hold both ways to the plain builder.
struct CrowdedPoint {
    // The bus scan: what a bus of each orientation joins at the point
    // (bus entries without the wire-entry bit and the buses of its
    // orientation, in search order; wire entries only while they have no
    // group, which after the first bus's visit none has), which
    // orientations have visited, and the bus that visited last.
    bool busTargetsKnown = false;
    std::vector<SheetObject*> busTargets[2];
    bool busVisited[2] = {};
    SheetObject* lastBus[2] = {};

    // The bus ends: the first tag of each orientation at the point, and
    // which orientations have joined the tags there.
    bool tagsKnown = false;
    SheetObject* firstTag[2] = {};
    bool tagsJoined[2] = {};

    // The end joining: a junction, and how many wire and pin ends point in
    // each direction; nothing of it changes during the stage. settled[o][a]
    // records that an end of orientation o has joined everything its rule
    // joins there, all (a = 1) or only its own orientation (a = 0).
    bool endsKnown = false;
    bool junction = false;
    std::uint32_t directions[6] = {};
    bool settled[2][2] = {};

    // The recording of nets at wire entries: the wire entries with a group
    // met at the point, in search order, and the net last recorded there.
    bool entriesKnown = false;
    std::vector<SheetObject*> wireEntries;
    GroupId lastNet = noGroup;
};

class CrowdedPoints {
  public:
    // Points with more ends than this are crowded.
    static constexpr std::uint32_t crowdedEnds = 16;

    explicit CrowdedPoints(ObjectStore& store) : store_(store) {}

    // The record of a crowded point (a PointGrid record), or nullptr for a
    // point of few ends.
    CrowdedPoint* find(std::uint32_t point);

  private:
    ObjectStore& store_;
    std::unordered_map<std::uint32_t, CrowdedPoint> points_;
};

// The index of a direction code in CrowdedPoint::directions.
int directionSlot(std::int8_t code);

} // namespace dovla
