// Wires and buses as lines; lines of two nets overlapping on one line drawn so as not to merge.

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <queue>
#include <set>
#include <tuple>
#include <unordered_map>

#include "export/kicad_planner.h"
#include "export/kicad_symbols.h"
#include "export/kicad_text.h"
#include "export/power_parts.h"

namespace dovla::sheettool::kicad::planning {

void Planner::lines() {
    auto add = [&](const model::Line& line, bool bus) {
        if (line.from == line.to)
            return; // KiCad drops lines of no length
        DrawnLine drawn;
        drawn.sheet = line.sheet;
        drawn.from = kpoint(line.from);
        drawn.to = kpoint(line.to);
        drawn.bus = bus;
        drawn.what = std::string(bus ? "bus " : "wire ") + std::to_string(line.sheet) + " " +
                     std::to_string(line.from.x) + "," + std::to_string(line.from.y) + " " +
                     std::to_string(line.to.x) + "," + std::to_string(line.to.y);
        plan_.lines.push_back(drawn);
        lineOwner_.push_back(bus ? busOwner : ownerOf(line.group));
        lineSource_.push_back({line.from, line.to});
    };
    for (const model::Line& wire : design_.wires)
        add(wire, false);
    for (const model::Line& bus : design_.buses)
        add(bus, true);
    unmergeOverlaps();
}

// KiCad merges wires that overlap on one line into one: where two of
// different nets overlap, the later is drawn as a plain line.
void Planner::unmergeOverlaps() {
    // Lines by the line they lie on: its direction made primitive and
    // pointing right (or down), and its offset.
    using LineKey = std::tuple<int, bool, std::int64_t, std::int64_t, std::int64_t>;
    std::map<LineKey, std::vector<std::uint32_t>> onLine;
    auto direction = [&](std::uint32_t i) {
        auto [from, to] = lineSource_[i];
        std::int64_t dx = std::int64_t{to.x} - from.x, dy = std::int64_t{to.y} - from.y;
        std::int64_t g = std::gcd(dx, dy);
        dx /= g, dy /= g;
        if (dx < 0 || (dx == 0 && dy < 0))
            dx = -dx, dy = -dy;
        return std::pair{dx, dy};
    };
    for (std::uint32_t i = 0; i < plan_.lines.size(); ++i) {
        auto [dx, dy] = direction(i);
        Point from = lineSource_[i].first;
        onLine[{plan_.lines[i].sheet, plan_.lines[i].bus, dx, dy, dy * from.x - dx * from.y}]
            .push_back(i);
    }
    for (auto& [line, members] : onLine) {
        std::int64_t dx = std::get<2>(line), dy = std::get<3>(line);
        auto span = [&](std::uint32_t i) {
            auto [from, to] = lineSource_[i];
            std::int64_t a = dx * from.x + dy * from.y, b = dx * to.x + dy * to.y;
            return std::pair{std::min(a, b), std::max(a, b)};
        };
        // Of lines with the same span, the later in the design is the one
        // drawn plain, on every platform.
        std::stable_sort(members.begin(), members.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return span(a) < span(b); });
        // The kept lines that still reach the next one's start, the one that
        // ends first on top, and how many of them each owner has: the next
        // one clashes when any of them is another owner's.
        using Reach = std::pair<std::int64_t, std::uint32_t>;
        std::priority_queue<Reach, std::vector<Reach>, std::greater<>> reaching;
        std::unordered_map<int, std::size_t> owned;
        for (std::uint32_t i : members) {
            const auto [start, end] = span(i);
            for (; !reaching.empty() && reaching.top().first <= start; reaching.pop())
                --owned[lineOwner_[reaching.top().second]];
            if (reaching.size() > owned[lineOwner_[i]]) {
                plan_.lines[i].connecting = false;
            } else {
                reaching.push({end, i});
                ++owned[lineOwner_[i]];
            }
        }
    }
}

} // namespace dovla::sheettool::kicad::planning
