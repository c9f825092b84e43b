// Bus entries, drawn as plain lines where they would join two nets.

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

// An entry is drawn as KiCad's wire-to-bus entry where its wire end
// touches one net and its bus end nothing but buses; else as a line.
void Planner::entries() {
    for (std::size_t i = 0; i < design_.busEntries.size(); ++i) {
        const model::BusEntry& entry = design_.busEntries[i];
        DrawnEntry drawn;
        drawn.sheet = entry.sheet;
        drawn.at = kpoint(entry.at);
        drawn.to = kpoint(entry.to);
        drawn.what = "entry " + where(entry.sheet, entry.at) + " " + where(entry.sheet, entry.to);
        // Its bus end is the one the bus scan joined, else the one a bus reaches.
        bool busAtTo = entry.joinedTo && !entry.joinedAt;
        if (!entry.joinedAt && !entry.joinedTo)
            busAtTo = ownersAt(entry.sheet, entry.to).count(busOwner) != 0 &&
                      ownersAt(entry.sheet, entry.at).count(busOwner) == 0;
        Point wireEnd = busAtTo ? entry.at : entry.to;
        Point busEnd = busAtTo ? entry.to : entry.at;
        std::set<int> wireSide = ownersAt(entry.sheet, wireEnd);
        std::set<int> busSide = ownersAt(entry.sheet, busEnd);
        busSide.erase(busOwner);
        drawn.connecting = entry.wireEntry && entry.at != entry.to && wireSide.size() <= 1 &&
                           wireSide.count(busOwner) == 0 && busSide.empty();
        if (drawn.connecting && !wireSide.empty())
            add({entry.sheet, wireEnd.x, wireEnd.y},
                {Touch::EntryEnd, *wireSide.begin(), static_cast<std::uint32_t>(i), 0});
        plan_.entries.push_back(drawn);
    }
}

} // namespace dovla::sheettool::kicad::planning
