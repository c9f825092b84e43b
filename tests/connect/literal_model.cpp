#include "literal_model.h"

#include <sstream>
#include <unordered_map>

namespace dovla::testing::literal {

namespace {

constexpr int JunctionKind = 0, BusEntryKind = 1, BusKind = 2, WireKind = 3, LabelKind = 5,
              TagKind = 6, PinKind = 8;

std::int32_t directionCode(std::int32_t xa, std::int32_t ya, std::int32_t xb, std::int32_t yb) {
    if (ya == yb && xa == xb)
        return 10;
    if (ya == yb)
        return xb > xa ? 0 : 2;
    if (xa == xb)
        return yb > ya ? 1 : 3;
    return 20;
}

std::int64_t floorCell(std::int64_t value) {
    return value >= 0 ? value / 50 : -((-value + 49) / 50);
}

bool sameOrientation(const Object* a, const Object* b) {
    return (a->dir1 & 1) == (b->dir1 & 1);
}

bool labelTest(const Object* object, const Object* label) {
    return ((object->dir1 & 1) != 0) == ((label->attr & 8) != 0);
}

std::int32_t directionAt(std::int32_t x, std::int32_t y, const Object* object) {
    return (x == object->x1 && y == object->y1) ? object->dir1 : object->dir2;
}

Object* objectOf(Ring* node) {
    return static_cast<Object*>(node->data);
}

Ring* headOf(Ring* node) {
    return static_cast<Ring*>(node->data);
}

void ringInit(Ring* node) {
    node->next = node->prev = node;
    node->data = nullptr;
}

void insertBefore(Ring* node, Ring* position) {
    node->next = position;
    node->prev = position->prev;
    position->prev->next = node;
    position->prev = node;
}

void unlink(Ring* node) {
    node->prev->next = node->next;
    node->next->prev = node->prev;
}

} // namespace

Model::Model(std::int32_t scanStep) : step_(scanStep) {
    ringInit(&objectRing_);
    ringInit(&netRing_);
    ringInit(&busGroupRing_);
}

Ring* Model::newRing() {
    rings_.push_back(std::make_unique<Ring>());
    ringInit(rings_.back().get());
    return rings_.back().get();
}

Ring* Model::append(Ring* head, void* data) {
    Ring* node = newRing();
    insertBefore(node, head);
    node->data = data;
    return node;
}

Ring* Model::cellOf(std::int32_t x, std::int32_t y) {
    Ring*& cell = cells_[{floorCell(x), floorCell(y)}];
    if (cell == nullptr)
        cell = newRing();
    return cell;
}

Object* Model::addObject(std::int32_t kind, std::int32_t attr, std::int32_t x1, std::int32_t y1,
                         std::int32_t x2, std::int32_t y2, bool hasEnd2, const std::string& name,
                         const char* text) {
    objects_.push_back(std::make_unique<Object>());
    Object* o = objects_.back().get();
    o->index = static_cast<int>(objects_.size()) - 1;
    o->kind = kind;
    o->attr = attr;
    o->x1 = x1;
    o->y1 = y1;
    o->x2 = x2;
    o->y2 = y2;
    o->name = name.substr(0, 79);
    o->text = text != nullptr ? std::string(text).substr(0, 79) : o->name;
    o->dir2 = 20;
    o->joined1 = o->joined2 = 0;
    o->node2 = nullptr;
    o->net = nullptr;
    o->hasEnd2 = hasEnd2;
    std::int32_t tx = -x2, ty = -y2;
    if (hasEnd2) {
        o->dir2 = directionCode(x2, y2, x1, y1);
        o->node2 = append(cellOf(x2, y2), o);
        tx = x2;
        ty = y2;
    }
    o->dir1 = directionCode(x1, y1, tx, ty);
    append(cellOf(x1, y1), o);
    append(&objectRing_, o);
    return o;
}

Ring* Model::findAtPoint(Ring* previous, std::int32_t x, std::int32_t y) {
    Ring* node;
    if (previous == nullptr) {
        auto found = cells_.find({floorCell(x), floorCell(y)});
        if (found == cells_.end())
            return nullptr;
        searchCell_ = found->second;
        node = searchCell_;
    } else {
        node = previous;
    }
    for (node = node->next; node != searchCell_; node = node->next) {
        Object* o = objectOf(node);
        if ((o->x1 == x && o->y1 == y) || (o->hasEnd2 && o->x2 == x && o->y2 == y))
            return node;
    }
    return nullptr;
}

std::vector<Object*> Model::objects() {
    std::vector<Object*> all;
    for (Ring* node = objectRing_.next; node != &objectRing_; node = node->next)
        all.push_back(objectOf(node));
    return all;
}

void Model::joinObjects(Ring* ring, Object* a, Object* b) {
    if (a->net == nullptr && b->net == nullptr) {
        Ring* head = newRing();
        a->net = b->net = head;
        append(ring, head);
        append(head, a);
        append(head, b);
    } else if (b->net != nullptr && a->net == nullptr) {
        a->net = b->net;
        append(b->net, a);
    } else if (a->net != nullptr && b->net == nullptr) {
        b->net = a->net;
        append(a->net, b);
    } else if (a->net != b->net) {
        Ring* into = a->net;
        Ring* from = b->net;
        while (from->next != from) {
            Ring* node = from->next;
            objectOf(node)->net = into;
            unlink(node);
            insertBefore(node, into);
        }
    }
}

void Model::scanBus(Object* bus) {
    if (bus->y1 == bus->y2)
        for (std::int64_t x = bus->x1; x <= bus->x2; x += step_)
            joinAtBusPoint(static_cast<std::int32_t>(x), bus->y1, bus);
    if (bus->x1 == bus->x2)
        for (std::int64_t y = bus->y1; y <= bus->y2; y += step_)
            joinAtBusPoint(bus->x1, static_cast<std::int32_t>(y), bus);
}

void Model::joinAtBusPoint(std::int32_t x, std::int32_t y, Object* bus) {
    for (Ring* n = findAtPoint(nullptr, x, y); n != nullptr; n = findAtPoint(n, x, y)) {
        Object* p = objectOf(n);
        if (p == bus)
            continue;
        bool join = (p->kind == BusEntryKind && (p->attr & 2) == 0) ||
                    (p->kind == BusEntryKind && (p->attr & 2) != 0 && p->net == nullptr) ||
                    (p->kind == BusKind && sameOrientation(p, bus));
        if (join) {
            if (x == p->x1 && y == p->y1)
                p->joined1 = 1;
            else
                p->joined2 = 1;
            joinObjects(&busGroupRing_, bus, p);
        }
    }
}

void Model::tagBusEnds(Object* bus) {
    auto at = [&](std::int32_t x, std::int32_t y) {
        for (Ring* n = findAtPoint(nullptr, x, y); n != nullptr; n = findAtPoint(n, x, y)) {
            Object* p = objectOf(n);
            if (p != bus && p->kind == TagKind && sameOrientation(p, bus))
                joinObjects(&busGroupRing_, bus, p);
        }
    };
    if (!bus->joined1)
        at(bus->x1, bus->y1);
    if (!bus->joined2)
        at(bus->x2, bus->y2);
}

namespace {

Object* firstOfKinds(Ring* head, int kindA, int kindB) {
    for (Ring* n = head->next; n != head; n = n->next) {
        if (objectOf(n)->kind == kindA || objectOf(n)->kind == kindB)
            return objectOf(n);
    }
    return nullptr;
}

} // namespace

void Model::joinByTagName(Ring* ring) {
    for (Ring* a = ring->next; a != ring; a = a->next) {
        Object* tagA = firstOfKinds(headOf(a), TagKind, TagKind);
        if (tagA == nullptr)
            continue;
        for (Ring* b = a->next; b != ring; b = b->next) {
            Object* tagB = firstOfKinds(headOf(b), TagKind, TagKind);
            if (tagB != nullptr && tagB->name == tagA->name)
                joinObjects(ring, tagA, tagB);
        }
    }
}

void Model::scanWire(Object* wire) {
    if (wire->y1 == wire->y2)
        for (std::int64_t x = std::int64_t{wire->x1} + step_; x < wire->x2; x += step_)
            checkWirePoint(static_cast<std::int32_t>(x), wire->y1, wire);
    if (wire->x1 == wire->x2)
        for (std::int64_t y = std::int64_t{wire->y1} + step_; y < wire->y2; y += step_)
            checkWirePoint(wire->x1, static_cast<std::int32_t>(y), wire);
}

void Model::checkWirePoint(std::int32_t x, std::int32_t y, Object* wire) {
    bool split = false;
    for (Ring* n = findAtPoint(nullptr, x, y); n != nullptr; n = findAtPoint(n, x, y)) {
        Object* p = objectOf(n);
        if (p == wire)
            continue;
        if (p->kind == JunctionKind || p->kind == WireKind || p->kind == TagKind ||
            p->kind == PinKind) {
            split = true;
        } else if (p->kind == BusEntryKind && (p->attr & 2) != 0) {
            if (x == p->x1 && y == p->y1)
                split = split || p->joined1 == 0;
            else if (p->hasEnd2 && x == p->x2 && y == p->y2)
                split = split || p->joined2 == 0;
        }
        if (p->kind == LabelKind && labelTest(wire, p))
            joinObjects(&netRing_, wire, p);
    }
    if (split)
        splitWire(x, y, wire);
}

void Model::splitWire(std::int32_t x, std::int32_t y, Object* wire) {
    std::int32_t oldX2 = wire->x2, oldY2 = wire->y2;
    wire->x2 = x;
    wire->y2 = y;
    unlink(wire->node2);
    wire->node2 = append(cellOf(x, y), wire);
    addObject(WireKind, wire->attr, x, y, oldX2, oldY2, true, wire->name, wire->text.c_str());
}

void Model::joinAtEnd(std::int32_t x, std::int32_t y, Object* object) {
    int ends = 0;
    std::int32_t last = 0;
    bool junction = false, same = true;
    for (Ring* n = findAtPoint(nullptr, x, y); n != nullptr; n = findAtPoint(n, x, y)) {
        Object* p = objectOf(n);
        if (p == object)
            continue;
        if (p->kind == WireKind || p->kind == PinKind) {
            std::int32_t d = directionAt(x, y, p);
            if (ends > 0 && d != last)
                same = false;
            last = d;
            ++ends;
        } else if (p->kind == JunctionKind) {
            junction = true;
        } else if (p->kind == LabelKind && labelTest(object, p)) {
            joinObjects(&netRing_, object, p);
        }
    }
    for (Ring* n = findAtPoint(nullptr, x, y); n != nullptr; n = findAtPoint(n, x, y)) {
        Object* p = objectOf(n);
        if (p == object || (p->kind != WireKind && p->kind != TagKind && p->kind != PinKind))
            continue;
        if (junction || same || sameOrientation(p, object))
            joinObjects(&netRing_, object, p);
    }
}

void Model::recordEntryNets(std::int32_t x, std::int32_t y, Object* member) {
    for (Ring* n = findAtPoint(nullptr, x, y); n != nullptr; n = findAtPoint(n, x, y)) {
        Object* p = objectOf(n);
        if (p == member || p->kind != BusEntryKind || (p->attr & 2) == 0 || p->net == nullptr)
            continue;
        if (p->net->data == nullptr)
            p->net->data = newRing();
        append(static_cast<Ring*>(p->net->data), member->net);
    }
}

void Model::joinBusWires() {
    for (Ring* node = netRing_.next; node != &netRing_; node = node->next) {
        Ring* net = headOf(node);
        if (net->next == net)
            continue;
        for (Ring* m = net->next; m != net; m = m->next) {
            Object* o = objectOf(m);
            if (o->kind == WireKind || o->kind == TagKind) {
                recordEntryNets(o->x1, o->y1, o);
                recordEntryNets(o->x2, o->y2, o);
            } else if (o->kind == PinKind) {
                recordEntryNets(o->x1, o->y1, o);
            }
        }
    }
    for (Ring* node = busGroupRing_.next; node != &busGroupRing_; node = node->next) {
        Ring* group = headOf(node);
        auto* attached = static_cast<Ring*>(group->data);
        if (attached == nullptr)
            continue;
        for (Ring* e = attached->next; e != attached; e = e->next) {
            Object* namedE = firstOfKinds(headOf(e), LabelKind, TagKind);
            if (namedE == nullptr)
                continue;
            Ring* f = e->next;
            while (f != attached) {
                Ring* following = f->next;
                Object* namedF = firstOfKinds(headOf(f), LabelKind, TagKind);
                if (namedF != nullptr && (namedF == namedE || namedF->name == namedE->name)) {
                    joinObjects(&netRing_, objectOf(headOf(e)->next), objectOf(headOf(f)->next));
                    unlink(f);
                }
                f = following;
            }
        }
        group->data = nullptr;
    }
}

void Model::joinPowerPins(const std::function<bool(const std::string&)>& isExcluded) {
    for (Ring* p = objectRing_.next; p != &objectRing_; p = p->next) {
        Object* pin = objectOf(p);
        if (pin->kind != PinKind || !isExcluded(pin->name))
            continue;
        for (Ring* q = p->next; q != &objectRing_; q = q->next) {
            if (objectOf(q)->kind == PinKind && objectOf(q)->name == pin->name)
                joinObjects(&netRing_, pin, objectOf(q));
        }
    }
}

void Model::buildNets(const std::function<bool(const std::string&)>& isExcluded) {
    auto scanned = [](Object* o, int kind) { return o->kind == kind && (o->dir1 & 2) == 0; };
    for (Ring* n = objectRing_.next; n != &objectRing_; n = n->next)
        if (scanned(objectOf(n), BusKind))
            scanBus(objectOf(n));
    for (Ring* n = objectRing_.next; n != &objectRing_; n = n->next)
        if (scanned(objectOf(n), BusKind))
            tagBusEnds(objectOf(n));
    joinByTagName(&busGroupRing_);
    for (Ring* n = objectRing_.next; n != &objectRing_; n = n->next)
        if (scanned(objectOf(n), WireKind))
            scanWire(objectOf(n));
    for (Ring* n = objectRing_.next; n != &objectRing_; n = n->next) {
        Object* o = objectOf(n);
        if (o->kind == WireKind || o->kind == TagKind) {
            joinAtEnd(o->x2, o->y2, o);
            joinAtEnd(o->x1, o->y1, o);
        } else if (o->kind == PinKind) {
            joinAtEnd(o->x1, o->y1, o);
        }
    }
    joinBusWires();
    joinByTagName(&netRing_);
    joinPowerPins(isExcluded);
}

std::string Model::render() {
    std::unordered_map<const Ring*, std::string> groupName;
    int g = 0;
    for (Ring* n = netRing_.next; n != &netRing_; n = n->next)
        groupName[headOf(n)] = "N" + std::to_string(g++);
    g = 0;
    for (Ring* n = busGroupRing_.next; n != &busGroupRing_; n = n->next)
        groupName[headOf(n)] = "G" + std::to_string(g++);
    std::ostringstream out;
    auto searchAt = [&](std::int32_t x, std::int32_t y) {
        for (Ring* n = findAtPoint(nullptr, x, y); n != nullptr; n = findAtPoint(n, x, y))
            out << ' ' << objectOf(n)->index;
    };
    for (Object* o : objects()) {
        out << o->index << ": kind " << o->kind << " attr " << o->attr << " (" << o->x1 << ","
            << o->y1 << ")-(" << o->x2 << "," << o->y2 << ") " << (o->hasEnd2 ? "two" : "one")
            << " dir " << o->dir1 << "/" << o->dir2 << " joined " << o->joined1 << o->joined2
            << " '" << o->name << "' '" << o->text << "' in "
            << (o->net != nullptr ? groupName[o->net] : std::string("-")) << " | at end 1:";
        searchAt(o->x1, o->y1);
        if (o->hasEnd2) {
            out << " | at end 2:";
            searchAt(o->x2, o->y2);
        }
        out << '\n';
    }
    auto groups = [&](Ring* ring, const char* what) {
        for (Ring* n = ring->next; n != ring; n = n->next) {
            out << what << ' ' << groupName[headOf(n)] << ":";
            for (Ring* m = headOf(n)->next; m != headOf(n); m = m->next)
                out << ' ' << objectOf(m)->index;
            out << '\n';
        }
    };
    groups(&netRing_, "net");
    groups(&busGroupRing_, "bus group");
    return out.str();
}

} // namespace dovla::testing::literal
