#include "connect/net_builder.h"

namespace dovla {

namespace {

void appendMember(Group& group, SheetObject* member) {
    member->net = &group;
    member->nextMember = nullptr;
    if (group.last != nullptr)
        group.last->nextMember = member;
    else
        group.first = member;
    group.last = member;
}

} // namespace

void NetBuilder::joinObjects(GroupList& ring, SheetObject* a, SheetObject* b) {
    if (a->net == nullptr && b->net == nullptr) {
        Group& group = ring.append();
        group.first = group.last = nullptr;
        appendMember(group, a);
        appendMember(group, b);
    } else if (a->net == nullptr) {
        appendMember(*b->net, a);
    } else if (b->net == nullptr) {
        appendMember(*a->net, b);
    } else if (a->net != b->net) {
        // b's group moves behind a's members, in its own order; the emptied
        // group stays where it stands.
        Group* into = a->net;
        Group* from = b->net;
        for (SheetObject* member = from->first; member != nullptr; member = member->nextMember)
            member->net = into;
        into->last->nextMember = from->first;
        into->last = from->last;
        from->first = from->last = nullptr;
    }
}

} // namespace dovla
