// The index of lines by the points they pass, and who owns a point.

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

void Planner::segmentIndex() {
    for (std::uint32_t i = 0; i < plan_.lines.size(); ++i) {
        const DrawnLine& line = plan_.lines[i];
        if (!line.connecting)
            continue;
        auto [from, to] = lineSource_[i];
        Segment segment{lineOwner_[i], i, from, to};
        if (from.y == to.y)
            rows_[{line.sheet, from.y}].push_back(segment);
        else if (from.x == to.x)
            columns_[{line.sheet, from.x}].push_back(segment);
        else {
            slants_[line.sheet].push_back(segment);
            slantIndex_.add(line.sheet, from, to);
        }
        add({line.sheet, from.x, from.y},
            {line.bus ? Touch::BusEnd : Touch::WireEnd, lineOwner_[i], i, 0});
        add({line.sheet, to.x, to.y},
            {line.bus ? Touch::BusEnd : Touch::WireEnd, lineOwner_[i], i, 1});
    }
    for (std::uint32_t i = 0; i < design_.pins.size(); ++i) {
        const model::Pin& pin = design_.pins[i];
        if (design_.parts[pin.part].pinsPlaced)
            add({pin.sheet, pin.end.x, pin.end.y}, {Touch::PinEnd, pinOwner_[i], i, 0});
    }
}

// The owners of everything at a point: what ends there and what passes.
std::set<int> Planner::ownersAt(int sheet, Point at) const {
    std::set<int> owners;
    if (auto found = touches_.find({sheet, at.x, at.y}); found != touches_.end())
        found->second.forEachOwner([&](int owner) { owners.insert(owner); });
    throughLines(sheet, at, [&](const Segment& s) { owners.insert(s.owner); });
    return owners;
}

bool Planner::onlyNet(int sheet, Point at, int net) const {
    std::set<int> owners = ownersAt(sheet, at);
    return owners.empty() || (owners.size() == 1 && *owners.begin() == net);
}

} // namespace dovla::sheettool::kicad::planning
