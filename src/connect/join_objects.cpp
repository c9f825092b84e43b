#include "connect/net_builder.h"

namespace dovla {

void NetBuilder::joinObjects(RingNode* ring, SheetObject* a, SheetObject* b) {
    AllocPool& pool = store_.pool();
    if (a->net == nullptr && b->net == nullptr) {
        RingNode* head = newRingNode(pool);
        a->net = head;
        b->net = head;
        ringAppendNew(pool, ring, head);
        ringAppendNew(pool, head, a);
        ringAppendNew(pool, head, b);
    } else if (a->net == nullptr) {
        a->net = b->net;
        ringAppendNew(pool, b->net, a);
    } else if (b->net == nullptr) {
        b->net = a->net;
        ringAppendNew(pool, a->net, b);
    } else if (a->net != b->net) {
        // b's group moves behind a's members, in its own order; its emptied
        // head stays in the global ring that holds it.
        RingNode* into = a->net;
        RingNode* from = b->net;
        while (!ringIsEmpty(from)) {
            RingNode* node = from->next;
            static_cast<SheetObject*>(node->data)->net = into;
            ringUnlink(node);
            ringInsertBefore(node, into);
        }
    }
}

} // namespace dovla
