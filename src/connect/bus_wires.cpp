#include "connect/net_builder.h"

#include <cstring>

#include "driver/alloc_pool.h"

namespace dovla {

namespace {

bool isWireEntry(const SheetObject& object) {
    return object.kind == BusEntry && (object.attr & wireEntryBit) != 0;
}

SheetObject* firstMember(RingNode* net) {
    return static_cast<SheetObject*>(net->next->data);
}

} // namespace

void NetBuilder::joinBusWires() {
    // Step A: every net that reaches a wire entry is recorded with the
    // entry's group, once for every meeting.
    RingNode* nets = store_.netRing();
    for (RingNode* node = nets->next; node != nets; node = node->next) {
        auto* net = static_cast<RingNode*>(node->data);
        for (RingNode* member = net->next; member != net; member = member->next) {
            auto* m = static_cast<SheetObject*>(member->data);
            if (m->kind == Wire || m->kind == Tag) {
                recordEntryNets(m->x1, m->y1, m);
                if (m->hasEnd2)
                    recordEntryNets(m->x2, m->y2, m);
            } else if (m->kind == Pin) {
                recordEntryNets(m->x1, m->y1, m);
            }
        }
    }
    // Step B: within each group, nets whose first label or tag carry the
    // same name become one.
    AllocPool& pool = store_.pool();
    RingNode* groups = store_.busGroupRing();
    for (RingNode* node = groups->next; node != groups; node = node->next) {
        auto* group = static_cast<RingNode*>(node->data);
        auto* attached = static_cast<RingNode*>(group->data);
        if (attached == nullptr)
            continue;
        for (RingNode* e = attached->next; e != attached; e = e->next) {
            auto* netE = static_cast<RingNode*>(e->data);
            SheetObject* namedE = firstNamedMember(netE);
            if (namedE == nullptr)
                continue;
            RingNode* f = e->next;
            while (f != attached) {
                RingNode* following = f->next;
                auto* netF = static_cast<RingNode*>(f->data);
                SheetObject* namedF = firstNamedMember(netF);
                if (namedF != nullptr &&
                    (namedF == namedE || std::strcmp(namedF->name, namedE->name) == 0)) {
                    joinObjects(store_.netRing(), firstMember(netE), firstMember(netF));
                    ringUnlink(f);
                    pool.release(f);
                }
                f = following;
            }
        }
        pool.release(attached);
        group->data = nullptr;
    }
}

void NetBuilder::recordEntryNets(std::int32_t x, std::int32_t y, SheetObject* member) {
    PointSearch search(store_, x, y);
    while (SheetObject* p = search.next()) {
        if (p == member || !isWireEntry(*p) || p->net == nullptr)
            continue;
        RingNode* group = p->net;
        if (group->data == nullptr)
            group->data = newRingNode(store_.pool());
        ringAppendNew(store_.pool(), static_cast<RingNode*>(group->data), member->net);
    }
}

SheetObject* NetBuilder::firstNamedMember(RingNode* net) {
    if (net == nullptr)
        return nullptr;
    for (RingNode* node = net->next; node != net; node = node->next) {
        auto* object = static_cast<SheetObject*>(node->data);
        if (object->kind == Label || object->kind == Tag)
            return object;
    }
    return nullptr;
}

} // namespace dovla
