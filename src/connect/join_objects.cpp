#include "connect/net_builder.h"

namespace dovla {

namespace {

void appendMember(ObjectStore& store, GroupId id, SheetObject* member) {
    Group& group = store.group(id);
    const ObjectId memberId = store.idOf(*member);
    member->net = id;
    member->nextMember = noObject;
    if (group.last != noObject)
        store.object(group.last).nextMember = memberId;
    else
        group.first = memberId;
    group.last = memberId;
}

} // namespace

void NetBuilder::joinObjects(GroupList& ring, SheetObject* a, SheetObject* b) {
    if (a->net == noGroup && b->net == noGroup) {
        Group& group = ring.append();
        group.first = group.last = noObject;
        const GroupId id = ring.idOf(ring.size() - 1);
        appendMember(store_, id, a);
        appendMember(store_, id, b);
    } else if (a->net == noGroup) {
        appendMember(store_, b->net, a);
    } else if (b->net == noGroup) {
        appendMember(store_, a->net, b);
    } else if (a->net != b->net) {
        // b's group moves behind a's members, in its own order; the emptied
        // group stays where it stands.
        const GroupId intoId = a->net;
        Group& into = store_.group(intoId);
        Group& from = store_.group(b->net);
        for (ObjectId member = from.first; member != noObject;
             member = store_.object(member).nextMember)
            store_.object(member).net = intoId;
        store_.object(into.last).nextMember = from.first;
        into.last = from.last;
        from.first = from.last = noObject;
    }
}

} // namespace dovla
