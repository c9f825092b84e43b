#include <cstring>

#include "connect/net_builder.h"

namespace dovla {

namespace {

bool isWireEntry(const SheetObject& object) {
    return object.kind == BusEntry && (object.attr & wireEntryBit) != 0;
}

} // namespace

void NetBuilder::joinBusWires() {
    // Step A: every net that reaches a wire entry is recorded with the
    // entry's group.
    GroupList& nets = store_.nets();
    for (std::uint32_t i = 0; i < nets.size(); ++i) {
        forEachMember(store_, nets[i], [&](SheetObject* m) {
            if (m->kind == Wire || m->kind == Tag) {
                recordEntryNets(m->x1, m->y1, m);
                if (m->hasEnd2)
                    recordEntryNets(m->x2, m->y2, m);
            } else if (m->kind == Pin) {
                recordEntryNets(m->x1, m->y1, m);
            }
        });
    }
    // Step B: within each group, nets whose first label or tag carry the
    // same name become one.
    GroupList& groups = store_.busGroups();
    for (std::uint32_t g = 0; g < groups.size(); ++g) {
        auto found = attachedNets_.find(groups.idOf(g));
        if (found == attachedNets_.end())
            continue;
        std::vector<GroupId>& attached = found->second;
        std::vector<bool> removed(attached.size());
        for (std::size_t e = 0; e < attached.size(); ++e) {
            if (removed[e])
                continue;
            SheetObject* namedE = firstNamedMember(attached[e]);
            if (namedE == nullptr)
                continue;
            for (std::size_t f = e + 1; f < attached.size(); ++f) {
                if (removed[f])
                    continue;
                SheetObject* namedF = firstNamedMember(attached[f]);
                if (namedF != nullptr &&
                    (namedF == namedE ||
                     std::strcmp(store_.text(namedF->name), store_.text(namedE->name)) == 0)) {
                    joinObjects(nets, &store_.object(store_.group(attached[e]).first),
                                &store_.object(store_.group(attached[f]).first));
                    removed[f] = true;
                }
            }
        }
    }
    attachedNets_.clear();
}

void NetBuilder::recordEntryNets(std::int32_t x, std::int32_t y, SheetObject* member) {
    const PointGrid& grid = store_.grid();
    const std::uint32_t point = grid.findPoint(x, y);
    if ((grid.point(point).kinds & (1u << BusEntry)) == 0)
        return;
    if (CrowdedPoint* crowded = crowded_.find(point)) {
        if (!crowded->entriesKnown)
            learnEntries(*crowded, x, y);
        // The members of a net are recorded one after the other, so a net
        // recorded here before was recorded with every group here just now.
        if (crowded->lastNet == member->net)
            return;
        crowded->lastNet = member->net;
        for (SheetObject* entry : crowded->wireEntries)
            recordNet(entry, member->net);
        return;
    }
    PointSearch search(store_, x, y, point);
    while (SheetObject* p = search.next()) {
        if (p != member && isWireEntry(*p) && p->net != noGroup)
            recordNet(p, member->net);
    }
}

// The groups of the wire entries do not change while the nets are
// recorded.
void NetBuilder::learnEntries(CrowdedPoint& point, std::int32_t x, std::int32_t y) {
    PointSearch search(store_, x, y);
    while (SheetObject* p = search.next()) {
        if (isWireEntry(*p) && p->net != noGroup)
            point.wireEntries.push_back(p);
    }
    point.entriesKnown = true;
}

// A net that follows itself in a group's list changes nothing: when the
// first of the two is matched and joined, its net is left empty, so the
// second names nothing; when it is not, the second is not either; and when
// the first is the one compared against the rest, the second is joined with
// its own net, which does nothing, and dropped. So it is not recorded.
void NetBuilder::recordNet(SheetObject* entry, GroupId net) {
    std::vector<GroupId>& attached = attachedNets_[entry->net];
    if (attached.empty() || attached.back() != net)
        attached.push_back(net);
}

SheetObject* NetBuilder::firstNamedMember(GroupId net) {
    if (net == noGroup)
        return nullptr;
    return findMember(store_, store_.group(net), [](const SheetObject& member) {
        return member.kind == Label || member.kind == Tag;
    });
}

} // namespace dovla
