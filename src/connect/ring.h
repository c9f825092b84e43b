#pragma once

namespace dovla {

class AllocPool;

// One node of a circular doubly linked list with a sentinel head. Every list
// of the connectivity store is such a ring: appending inserts before the
// head, so a walk from the head visits items in the order they came.
struct RingNode {
    RingNode* next;
    RingNode* prev;
    void* data;
};

void ringInit(RingNode* node);
void ringInsertBefore(RingNode* node, RingNode* position);
void ringUnlink(RingNode* node);
bool ringIsEmpty(const RingNode* head);

// A node from the pool, as an empty ring; fatal "can't alloc memory!" when
// the pool has no room.
RingNode* newRingNode(AllocPool& pool);
RingNode* ringAppendNew(AllocPool& pool, RingNode* head, void* data);

} // namespace dovla
