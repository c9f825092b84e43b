#include "connect/ring.h"

#include "driver/alloc_pool.h"
#include "driver/messages.h"

namespace dovla {

void ringInit(RingNode* node) {
    node->next = node;
    node->prev = node;
    node->data = nullptr;
}

void ringInsertBefore(RingNode* node, RingNode* position) {
    node->next = position;
    node->prev = position->prev;
    position->prev->next = node;
    position->prev = node;
}

void ringUnlink(RingNode* node) {
    node->prev->next = node->next;
    node->next->prev = node->prev;
}

bool ringIsEmpty(const RingNode* head) {
    return head->next == head;
}

RingNode* newRingNode(AllocPool& pool) {
    auto* node = static_cast<RingNode*>(requireMemory(pool.allocate(sizeof(RingNode))));
    ringInit(node);
    return node;
}

RingNode* ringAppendNew(AllocPool& pool, RingNode* head, void* data) {
    RingNode* node = newRingNode(pool);
    ringInsertBefore(node, head);
    node->data = data;
    return node;
}

} // namespace dovla
