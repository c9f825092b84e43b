// Ends of different nets at one point: pins moved apart, wire ends drawn short.

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

#include "export/kicad_planner.h"
#include "export/kicad_symbols.h"
#include "export/kicad_text.h"
#include "export/power_parts.h"

namespace dovla::sheettool::kicad::planning {

// Where pins of several nets meet, one net keeps the point and the
// parts of the others' pins move by a hair (power symbols first: they
// join by their name wherever they stand). Then, at a point where items
// of several nets end, one net keeps it (its pins, else whatever names
// it, else the first wire's) and the wire and bus ends of the others are
// drawn a hair short of it.
void Planner::wireEnds() {
    for (auto& [place, at] : touches_)
        separatePins(at.list());
    for (auto& [place, at] : touches_) {
        int owners = 0;
        at.forEachOwner([&](int) { ++owners; });
        if (owners < 2)
            continue;
        int keeper = pickKeeper(at.list());
        for (Touch& touch : at.list())
            if (!touch.gone && touch.owner != keeper &&
                (touch.kind == Touch::WireEnd || touch.kind == Touch::BusEnd))
                shorten(at, touch);
    }
}

void Planner::separatePins(const std::vector<Touch>& list) {
    std::set<int> owners;
    int keeper = -2;
    for (const Touch& touch : list)
        if (touch.kind == Touch::PinEnd && !touch.gone) {
            owners.insert(touch.owner);
            if (keeper == -2 && !isPowerPart(design_.parts[design_.pins[touch.index].part]))
                keeper = touch.owner;
        }
    if (owners.size() < 2)
        return;
    if (keeper == -2)
        keeper = *owners.begin();
    int moved = 0;
    for (const Touch& touch : list)
        if (touch.kind == Touch::PinEnd && !touch.gone && touch.owner != keeper)
            movePart(design_.pins[touch.index].part, ++moved);
}

// Moves a part by k times two hairs right and one down, k from `steps`
// on until its pins land where nothing else was put: off every point of
// the grid and off the ends drawn short (one hair along their line), so
// its pins touch nothing, and its nets reach them by name.
void Planner::movePart(std::uint32_t part, int steps) {
    if (shift_.count(part) != 0)
        return;
    const model::Part& moved = design_.parts[part];
    KPoint by;
    for (int k = steps;; ++k) {
        if (k % 10 == 0)
            continue; // ten times one hair down is a step of the grid
        by = {2 * k * nudge, k * nudge};
        bool free = std::none_of(moved.pins.begin(), moved.pins.end(), [&](std::uint32_t pin) {
            KPoint at = kpoint(design_.pins[pin].end);
            return offGrid_.count({design_.pins[pin].sheet, {at.x + by.x, at.y + by.y}}) != 0;
        });
        if (free)
            break;
    }
    PlacedSymbol& placed = plan_.placed[part];
    placed.anchor = {placed.anchor.x + by.x, placed.anchor.y + by.y};
    shift_[part] = by;
    for (std::uint32_t pin : moved.pins)
        offGrid_.insert({design_.pins[pin].sheet, pinPoint(design_.pins[pin])});
    for (std::uint32_t pin : moved.pins) {
        const model::Pin& p = design_.pins[pin];
        PointTouches& at = touches_[{p.sheet, p.end.x, p.end.y}];
        for (Touch& touch : at.list())
            if (touch.kind == Touch::PinEnd && touch.index == pin)
                at.drop(touch);
    }
    ++plan_.partsMoved;
}

KPoint Planner::pinPoint(const model::Pin& pin) const {
    KPoint at = kpoint(pin.end);
    auto shift = shift_.find(pin.part);
    KPoint by = shift == shift_.end() ? KPoint{} : shift->second;
    return {at.x + by.x, at.y + by.y};
}

int Planner::pickKeeper(const std::vector<Touch>& list) {
    for (Touch::Kind kind :
         {Touch::PinEnd, Touch::LabelAt, Touch::JunctionAt, Touch::BusEnd, Touch::WireEnd})
        for (const Touch& touch : list)
            if (touch.kind == kind && !touch.gone)
                return touch.owner;
    return list.front().owner;
}

void Planner::shorten(PointTouches& at, Touch& touch) {
    DrawnLine& line = plan_.lines[touch.index];
    KPoint& end = touch.end == 0 ? line.from : line.to;
    const KPoint& other = touch.end == 0 ? line.to : line.from;
    auto step = [](std::int64_t from, std::int64_t to) {
        return from < to ? nudge : from > to ? -nudge : 0;
    };
    end = {end.x + step(end.x, other.x), end.y + step(end.y, other.y)};
    at.drop(touch);
    ++plan_.shortenedEnds;
}

} // namespace dovla::sheettool::kicad::planning
