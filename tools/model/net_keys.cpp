#include "net_keys.h"

#include <optional>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace dovla::model {

namespace {

struct PinOrder {
    std::string ref;
    char letter;
    int number;
    bool operator<(const PinOrder& other) const {
        return std::tie(ref, letter, number) < std::tie(other.ref, other.letter, other.number);
    }
};

struct PointOrder {
    int sheet;
    Point at;
    bool operator<(const PointOrder& other) const {
        return std::tie(sheet, at.y, at.x) < std::tie(other.sheet, other.at.y, other.at.x);
    }
};

std::optional<std::string> smallestPin(const Design& design, const Net& net) {
    std::optional<PinOrder> smallest;
    const Pin* found = nullptr;
    for (const ItemRef& member : net.members) {
        if (member.kind != ItemKind::Pin || !design.pins[member.index].listed)
            continue;
        const Pin& pin = design.pins[member.index];
        PinOrder order{design.parts[pin.part].ref, pin.letter, pin.number};
        if (!smallest || order < *smallest) {
            smallest = order;
            found = &pin;
        }
    }
    if (found == nullptr)
        return std::nullopt;
    return pinKey(design, *found);
}

std::string smallestPoint(const Design& design, const Net& net) {
    std::optional<PointOrder> smallest;
    for (const ItemRef& member : net.members) {
        forEachEnd(design, member, [&](int sheet, Point at) {
            PointOrder order{sheet, at};
            if (!smallest || order < *smallest)
                smallest = order;
        });
    }
    std::string key = "@";
    key += std::to_string(smallest->sheet) + ":" + std::to_string(smallest->at.x) + "," +
           std::to_string(smallest->at.y);
    return key;
}

std::string distinction(const Design& design, const Net& net) {
    std::optional<std::string> pin = smallestPin(design, net);
    return pin ? *pin : smallestPoint(design, net);
}

std::string baseKey(const Design& design, const Net& net) {
    for (const NetName& name : net.names) {
        if (!name.text.empty())
            return name.text;
    }
    return distinction(design, net);
}

bool named(const Net& net) {
    for (const NetName& name : net.names) {
        if (!name.text.empty())
            return true;
    }
    return false;
}

} // namespace

void assignNetKeys(Design& design) {
    std::unordered_map<std::string, int> uses;
    for (Net& net : design.nets) {
        net.key = baseKey(design, net);
        ++uses[net.key];
    }
    for (Net& net : design.nets) {
        if (uses[net.key] > 1 && named(net)) {
            net.key += '[';
            net.key += distinction(design, net);
            net.key += ']';
        }
    }
    // Keys are only ever added to `taken`, so a suffix found taken once stays
    // taken: each base key's search goes on from where its last one ended,
    // and many nets on one base key cost no more than one search each.
    std::unordered_set<std::string> taken;
    std::unordered_map<std::string, int> nextSuffix;
    for (Net& net : design.nets) {
        std::string key = net.key;
        if (taken.count(key) != 0) {
            int& count = nextSuffix.try_emplace(net.key, 2).first->second;
            do
                key = net.key + "#" + std::to_string(count++);
            while (taken.count(key) != 0);
        }
        net.key = key;
        taken.insert(key);
    }
}

} // namespace dovla::model
