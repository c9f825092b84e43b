#pragma once

#include <cstdint>

#include "connect/point_grid.h"
#include "connect/ring.h"
#include "connect/sheet_object.h"

namespace dovla {

class AllocPool;

enum class SecondEnd { Present, Absent };

// The connectivity store: every object in creation order, the nets and bus
// groups, and the point grid that finds objects by their end points. Every
// object, node and head comes from the pool given at construction.
class ObjectStore {
  public:
    explicit ObjectStore(AllocPool& pool) : pool_(pool) {}
    ObjectStore(const ObjectStore&) = delete;
    ObjectStore& operator=(const ObjectStore&) = delete;

    // Sets up the three global rings and a grid for width by height units.
    void createPointGrid(std::int32_t width, std::int32_t height);

    // Creates and registers an object, end 2 before end 1. With
    // SecondEnd::Absent the object has only end 1, and (-x2, -y2) is the
    // point toward which dir1 is computed; x2 and y2 are stored as given.
    // Names and texts are cut to 79 characters; text nullptr copies name.
    SheetObject* addObject(std::int32_t kind, std::int32_t attr, std::int32_t x1, std::int32_t y1,
                           std::int32_t x2, std::int32_t y2, SecondEnd secondEnd, const char* name,
                           const char* text);

    RingNode* gridRegister(std::int32_t x, std::int32_t y, SheetObject* object);

    RingNode* objectRing() { return &objectRing_; }
    RingNode* busGroupRing() { return &busGroupRing_; }
    RingNode* netRing() { return &netRing_; }
    PointGrid& grid() { return grid_; }
    const PointGrid& grid() const { return grid_; }
    AllocPool& pool() { return pool_; }

  private:
    AllocPool& pool_;
    RingNode objectRing_{&objectRing_, &objectRing_, nullptr};
    RingNode busGroupRing_{&busGroupRing_, &busGroupRing_, nullptr};
    RingNode netRing_{&netRing_, &netRing_, nullptr};
    PointGrid grid_;
};

// The point search: every object with an end exactly at (x, y), in the
// registration order of the point's cell. An object whose two ends lie in
// the same cell is met twice, at either end.
class PointSearch {
  public:
    PointSearch(ObjectStore& store, std::int32_t x, std::int32_t y);
    // The next object, or nullptr when the search is over.
    SheetObject* next();

  private:
    RingNode* cell_;
    RingNode* node_;
    std::int32_t x_;
    std::int32_t y_;
};

// The objects of a group or of the object ring, in ring order.
template <typename Visit> void forEachMember(RingNode* head, Visit visit) {
    for (RingNode* node = head->next; node != head; node = node->next)
        visit(static_cast<SheetObject*>(node->data));
}

} // namespace dovla
