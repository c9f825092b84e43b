#include "power_shorts.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>

namespace dovla::model {

namespace {

// Whether p lies on the line from a to b, ends included.
bool onSegment(Point a, Point b, Point p) {
    const std::int64_t cross = (std::int64_t{b.x} - a.x) * (std::int64_t{p.y} - a.y) -
                               (std::int64_t{b.y} - a.y) * (std::int64_t{p.x} - a.x);
    return cross == 0 && p.x >= std::min(a.x, b.x) && p.x <= std::max(a.x, b.x) &&
           p.y >= std::min(a.y, b.y) && p.y <= std::max(a.y, b.y);
}

// The power pins whose claims touch and carry one name, as one side.
class Sides {
  public:
    explicit Sides(std::size_t count) : parent_(count) {
        std::iota(parent_.begin(), parent_.end(), std::size_t{0});
    }
    std::size_t of(std::size_t pin) {
        while (parent_[pin] != pin)
            pin = parent_[pin] = parent_[parent_[pin]];
        return pin;
    }
    // The side's first pin stays its root, so that a side is named by the
    // first of its pins whatever order they joined in.
    void join(std::size_t a, std::size_t b) {
        a = of(a);
        b = of(b);
        if (a != b)
            parent_[std::max(a, b)] = std::min(a, b);
    }

  private:
    std::vector<std::size_t> parent_;
};

} // namespace

std::optional<std::vector<ShortPlace>>
shortPlaces(const Design& design, const std::vector<ItemRef>& members,
            const std::vector<std::optional<MemberName>>& names) {
    using Key = std::pair<int, std::pair<std::int32_t, std::int32_t>>;
    const std::size_t none = members.size();
    std::map<Key, std::vector<std::size_t>> atPoint;
    std::map<std::string, std::vector<std::size_t>> byName;
    // Wires by the line they lie on: (sheet, {0, y}) horizontal,
    // (sheet, {1, x}) vertical; a label joins no oblique wire.
    std::map<Key, std::vector<std::size_t>> wiresOnLine;
    std::vector<std::size_t> queue;
    std::vector<std::size_t> claim(members.size(), none); // the power pin nearest to it
    for (std::size_t i = 0; i < members.size(); ++i) {
        forEachEnd(design, members[i], [&](int sheet, Point at) {
            atPoint[{sheet, {at.x, at.y}}].push_back(i);
        });
        if (members[i].kind == ItemKind::Wire) {
            const Line& wire = design.wires[members[i].index];
            if (wire.from.y == wire.to.y)
                wiresOnLine[{wire.sheet, {0, wire.from.y}}].push_back(i);
            else if (wire.from.x == wire.to.x)
                wiresOnLine[{wire.sheet, {1, wire.from.x}}].push_back(i);
        }
        if (!names[i])
            continue;
        if (names[i]->power) {
            claim[i] = i;
            queue.push_back(i);
        } else {
            byName[names[i]->name].push_back(i);
        }
    }
    Sides sides(members.size());
    struct Meeting {
        std::size_t a, b; // power pins of the two claims
        std::size_t at;   // the member where they meet
    };
    std::vector<Meeting> meetings;
    // Where a claim reaches an item another claim holds, the two meet: one
    // side where their pins carry one name, a place between two otherwise.
    auto meet = [&](std::size_t from, std::size_t to) {
        const std::size_t a = claim[from];
        const std::size_t b = claim[to];
        if (a == b)
            return;
        if (names[a]->name == names[b]->name)
            sides.join(a, b);
        else
            meetings.push_back(
                {a, b,
                 members[from].kind != ItemKind::Pin || members[to].kind == ItemKind::Pin ? from
                                                                                          : to});
    };
    std::int64_t budget = std::int64_t{1} << 22;
    auto reach = [&](std::size_t from, std::size_t to) {
        if (claim[to] == none) {
            claim[to] = claim[from];
            queue.push_back(to);
        } else {
            meet(from, to);
        }
    };
    auto reachAll = [&](std::size_t from, std::vector<std::size_t>& items) {
        for (std::size_t to : items)
            reach(from, to);
        budget -= static_cast<std::int64_t>(items.size());
        // Each point and name is gone through once: whoever comes first
        // claims what is there and meets whatever is claimed already.
        items.clear();
    };
    for (std::size_t head = 0; head < queue.size(); ++head) {
        if (budget <= 0)
            return std::nullopt;
        const std::size_t i = queue[head];
        forEachEnd(design, members[i], [&](int sheet, Point at) {
            reachAll(i, atPoint[{sheet, {at.x, at.y}}]);
        });
        if (names[i] && !names[i]->power)
            reachAll(i, byName[names[i]->name]);
        if (members[i].kind != ItemKind::Label)
            continue;
        const Label& label = design.labels[members[i].index];
        for (const Key& line :
             {Key{label.sheet, {0, label.at.y}}, Key{label.sheet, {1, label.at.x}}}) {
            for (std::size_t j : wiresOnLine[line]) {
                const Line& wire = design.wires[members[j].index];
                if (onSegment(wire.from, wire.to, label.at))
                    reach(i, j);
            }
            budget -= static_cast<std::int64_t>(wiresOnLine[line].size());
        }
    }
    // A bridge is the side of the name with fewer sides (a ground symbol
    // dropped among supply wires is one GND side touching several VCC
    // sides): it is one place for each other name it touches, however many
    // sides of that name it reaches. On a tie the later side is the bridge.
    std::map<std::string, std::set<std::size_t>> sidesOfName;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (names[i] && names[i]->power)
            sidesOfName[names[i]->name].insert(sides.of(i));
    }
    std::vector<ShortPlace> places;
    std::set<std::pair<std::size_t, std::string>> seen;
    for (const Meeting& meeting : meetings) {
        std::size_t a = sides.of(meeting.a);
        std::size_t b = sides.of(meeting.b);
        const std::size_t sidesOfA = sidesOfName[names[a]->name].size();
        const std::size_t sidesOfB = sidesOfName[names[b]->name].size();
        const bool aBridges = sidesOfA < sidesOfB || (sidesOfA == sidesOfB && a > b);
        const std::size_t bridge = aBridges ? a : b;
        const std::string& other = names[aBridges ? b : a]->name;
        if (seen.insert({bridge, other}).second)
            places.push_back({members[meeting.at], {a, b}});
    }
    return places;
}

} // namespace dovla::model
