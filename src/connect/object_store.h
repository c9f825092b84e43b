#pragma once

#include <cstdint>
#include <vector>

#include "connect/group.h"
#include "connect/point_grid.h"
#include "connect/pooled_array.h"
#include "connect/sheet_object.h"
#include "connect/text_arena.h"

namespace dovla {

class AllocPool;

enum class SecondEnd { Present, Absent };

// The connectivity store: every object in creation order, the nets and bus
// groups, and the point grid that finds objects by their end points. All of
// it lives in chunks taken from the pool given at construction.
class ObjectStore {
  public:
    explicit ObjectStore(AllocPool& pool)
        : objects_(pool), nets_(pool, 0), busGroups_(pool, GroupList::busGroupBit), texts_(pool),
          grid_(pool) {}
    ObjectStore(const ObjectStore&) = delete;
    ObjectStore& operator=(const ObjectStore&) = delete;

    // Empties the store: no objects, no groups, an empty point grid that
    // holds every int32 point alike.
    void createPointGrid();

    // Creates and registers an object, end 2 before end 1. With
    // SecondEnd::Absent the object has only end 1, and (-x2, -y2) is the
    // point toward which dir1 is computed; x2 and y2 are stored as given.
    // Names and texts are cut to 79 characters; text nullptr is the name.
    // The sheet is the one whose record made the object (0 before the first
    // sheet header).
    SheetObject* addObject(std::int32_t kind, std::int32_t attr, std::int32_t x1, std::int32_t y1,
                           std::int32_t x2, std::int32_t y2, SecondEnd secondEnd, const char* name,
                           const char* text, std::int32_t sheet = 0);

    // Moves the object's end 2 to (x, y): the old end leaves the grid, the
    // new one is registered behind every end there is.
    void moveEnd2(SheetObject& object, std::int32_t x, std::int32_t y);

    // Appends a piece of a wire, from (x1, y1) to (x2, y2), with the wire's
    // attributes, texts and sheet. Its ends are registered later, one by
    // one (registerEnd1, registerEnd2): until then nothing may look it up.
    ObjectId appendPiece(ObjectId wire, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                         std::int32_t y2);
    void registerEnd1(ObjectId piece);
    void registerEnd2(ObjectId piece);

    std::uint32_t objectCount() const { return objects_.size(); }
    SheetObject& object(ObjectId index) { return objects_[index]; }
    const SheetObject& object(ObjectId index) const { return objects_[index]; }
    // An object's place in creation order: its end 1's record names it.
    ObjectId idOf(const SheetObject& object) const { return grid_.node(object.node1).object; }

    const char* text(TextId id) const { return texts_.at(id); }

    Group& group(GroupId id) {
        return (id & GroupList::busGroupBit ? busGroups_ : nets_)[GroupList::indexOf(id)];
    }
    const Group& group(GroupId id) const {
        return (id & GroupList::busGroupBit ? busGroups_ : nets_)[GroupList::indexOf(id)];
    }

    GroupList& nets() { return nets_; }
    const GroupList& nets() const { return nets_; }
    GroupList& busGroups() { return busGroups_; }
    const GroupList& busGroups() const { return busGroups_; }
    PointGrid& grid() { return grid_; }
    const PointGrid& grid() const { return grid_; }

  private:
    PooledArray<SheetObject, 12> objects_;
    GroupList nets_;
    GroupList busGroups_;
    TextArena texts_;
    TextId lastName_ = 0;
    PointGrid grid_;
};

// Every member of a group, in joining order.
template <typename Store, typename Visit>
void forEachMember(Store& store, const Group& group, Visit visit) {
    for (ObjectId id = group.first; id != noObject; id = store.object(id).nextMember)
        visit(&store.object(id));
}

// The first member of a group, in joining order, that satisfies test; nullptr
// when none does.
template <typename Store, typename Test>
auto findMember(Store& store, const Group& group, Test test) -> decltype(&store.object(0)) {
    ObjectId id = group.first;
    while (id != noObject && !test(store.object(id)))
        id = store.object(id).nextMember;
    return id == noObject ? nullptr : &store.object(id);
}

template <typename Visit> void forEachObject(ObjectStore& store, Visit visit) {
    for (std::uint32_t i = 0; i < store.objectCount(); ++i)
        visit(&store.object(i));
}

// The object of every end registered at (x, y), once for each end, in
// registration order. (A search meets some of them again; see below.)
template <typename Visit>
void forEachEndAt(ObjectStore& store, std::int32_t x, std::int32_t y, Visit visit) {
    const PointGrid& grid = store.grid();
    std::uint32_t point = grid.findPoint(x, y);
    if (point == PointGrid::none)
        return;
    const std::uint32_t first = grid.point(point).first;
    if (first == PointGrid::none)
        return;
    std::uint32_t node = first;
    do {
        visit(&store.object(grid.node(node).object));
        node = grid.node(node).next;
    } while (node != first);
}

// The point search: every object with an end exactly at (x, y), in the
// order in which their ends were registered within the point's 50 by
// 50-unit cell. An object is met once for each of its ends in that cell:
// twice when both lie there, at the place of either end. The search is
// fixed when it starts; nothing may change the ends at the point before it
// is over.
class PointSearch {
  public:
    PointSearch(ObjectStore& store, std::int32_t x, std::int32_t y);
    // The same, for a point whose record (PointGrid::findPoint) is known.
    PointSearch(ObjectStore& store, std::int32_t x, std::int32_t y, std::uint32_t point);
    PointSearch(const PointSearch&) = delete;
    PointSearch& operator=(const PointSearch&) = delete;

    // The next object, or nullptr when the search is over.
    SheetObject* next() { return at_ < count_ ? found_[at_++].object : nullptr; }
    // Starts the same search again, from its first object.
    void restart() { at_ = 0; }

  private:
    struct Found {
        std::uint32_t node; // the order of the end's registration
        SheetObject* object;
    };
    static constexpr std::size_t inlineRoom = 16;

    void add(std::uint32_t node, SheetObject* object) {
        if (count_ < inlineRoom) {
            inline_[count_++] = {node, object};
            return;
        }
        addBeyondInlineRoom(node, object);
    }
    void addBeyondInlineRoom(std::uint32_t node, SheetObject* object);

    Found inline_[inlineRoom];
    std::vector<Found> more_;
    Found* found_ = inline_;
    std::size_t count_ = 0;
    std::size_t at_ = 0;
};

} // namespace dovla
