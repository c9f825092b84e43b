// Pieces of one net that KiCad would see apart, joined by a name.

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

void Planner::joinPieces() {
    // Nodes: the lines, then the pins, then the labels, then the entries.
    const auto lineBase = 0u;
    const auto pinBase = static_cast<std::uint32_t>(plan_.lines.size());
    const auto labelBase = pinBase + static_cast<std::uint32_t>(design_.pins.size());
    const auto entryBase = labelBase + static_cast<std::uint32_t>(plan_.labels.size());
    Pieces pieces;
    pieces.parent.resize(entryBase + plan_.entries.size());
    std::iota(pieces.parent.begin(), pieces.parent.end(), 0u);
    // What ends at a point joins there; labels and entry ends also join
    // the wires they lie on, and junctions what passes them.
    for (const auto& [place, at] : touches_) {
        auto [sheet, x, y] = place;
        std::int64_t first = -1;
        auto joinNode = [&](std::uint32_t node) {
            if (first < 0)
                first = node;
            else
                pieces.join(node, static_cast<std::uint32_t>(first));
        };
        bool reachesInside = false;
        for (const Touch& touch : at.list()) {
            if (touch.gone)
                continue;
            switch (touch.kind) {
            case Touch::WireEnd:
                joinNode(lineBase + touch.index);
                break;
            case Touch::PinEnd:
                joinNode(pinBase + touch.index);
                break;
            case Touch::LabelAt:
                joinNode(labelBase + touch.index);
                reachesInside = true;
                break;
            case Touch::EntryEnd:
                joinNode(entryBase + touch.index);
                reachesInside = true;
                break;
            case Touch::JunctionAt:
                reachesInside = true;
                break;
            case Touch::BusEnd:
                break;
            }
        }
        if (reachesInside)
            throughLines(sheet, Point{x, y}, [&](const Segment& s) {
                if (!plan_.lines[s.line].bus)
                    joinNode(lineBase + s.line);
            });
    }
    // The pieces that hold pins KiCad lists, by net.
    std::map<int, std::map<std::uint32_t, std::uint32_t>> netPieces; // net -> piece -> a pin
    for (std::uint32_t i = 0; i < design_.pins.size(); ++i) {
        const model::Pin& pin = design_.pins[i];
        int owner = pinOwner_[i];
        if (owner < 0 || owner >= static_cast<int>(design_.nets.size()) ||
            !design_.parts[pin.part].pinsPlaced || isPowerPart(design_.parts[pin.part]))
            continue;
        netPieces[owner].emplace(pieces.find(pinBase + i), i);
    }
    // The names each piece carries, and its labels.
    std::map<std::uint32_t, std::set<std::string>> piecesNames;
    for (std::uint32_t i = 0; i < plan_.labels.size(); ++i) {
        const DrawnLabel& label = plan_.labels[i];
        if (label.kind == LabelKind::Text)
            continue;
        if (label.kind == LabelKind::Local)
            piecesLabels_[pieces.find(labelBase + i)].push_back(i);
        // A global label's name joins on every sheet, a local one on its own.
        std::string name(1, label.kind == LabelKind::Global ? 'G' : 'L');
        if (label.kind == LabelKind::Local)
            name += std::to_string(label.sheet);
        piecesNames[pieces.find(labelBase + i)].insert(name + label.text);
    }
    for (const PlacedSymbol& placed : plan_.placed)
        if (placed.part >= 0 && isPowerPart(design_.parts[placed.part]))
            for (std::uint32_t pin : design_.parts[placed.part].pins)
                piecesNames[pieces.find(pinBase + pin)].insert("P" + placed.value);
    for (auto& [net, held] : netPieces)
        if (held.size() > 1 && !namesJoin(held, piecesNames))
            addNames(net, held, piecesNames);
}

// Whether the pieces are one through the names they carry.
bool Planner::namesJoin(const std::map<std::uint32_t, std::uint32_t>& held,
                        std::map<std::uint32_t, std::set<std::string>>& piecesNames) {
    std::set<std::string> reached = piecesNames[held.begin()->first];
    std::set<std::uint32_t> joined{held.begin()->first};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [piece, pin] : held) {
            if (joined.count(piece) != 0)
                continue;
            const std::set<std::string>& names = piecesNames[piece];
            bool meets = std::any_of(names.begin(), names.end(),
                                     [&](const std::string& n) { return reached.count(n) != 0; });
            if (meets) {
                joined.insert(piece);
                reached.insert(names.begin(), names.end());
                grew = true;
            }
        }
    }
    return joined.size() == held.size();
}

// Gives each piece that lacks it the net's name: a label on one sheet; a
// global label, or a power symbol for a net of a power name, across
// sheets. A label of the piece that has the name already becomes global.
void Planner::addNames(int net, const std::map<std::uint32_t, std::uint32_t>& held,
                       std::map<std::uint32_t, std::set<std::string>>& piecesNames) {
    std::set<int> sheets;
    for (const auto& [piece, pin] : held)
        sheets.insert(design_.pins[pin].sheet);
    bool global = sheets.size() > 1;
    bool power = std::any_of(design_.nets[net].names.begin(), design_.nets[net].names.end(),
                             [](const model::NetName& name) { return name.power; });
    const std::string& text = plan_.netNames[net];
    for (const auto& [piece, pin] : held) {
        const model::Pin& at = design_.pins[pin];
        std::set<std::string>& names = piecesNames[piece];
        if (names.count(global ? (power ? "P" : "G") + text
                               : "L" + std::to_string(at.sheet) + text) != 0)
            continue;
        if (global && !power) {
            auto own =
                std::find_if(piecesLabels_[piece].begin(), piecesLabels_[piece].end(),
                             [&](std::uint32_t label) { return plan_.labels[label].text == text; });
            if (own != piecesLabels_[piece].end()) {
                plan_.labels[*own].kind = LabelKind::Global;
                ++plan_.labelsMadeGlobal;
                continue;
            }
        }
        // A name stands on the pin's end, or where a line of another
        // net passes there, at the end of a hair-long wire from it.
        KPoint point = pinPoint(at);
        bool moved = shift_.count(at.part) != 0;
        if (moved ? slantThrough(at.sheet, point) : !onlyNet(at.sheet, at.end, net)) {
            KPoint stub = stubEnd(at.sheet, point);
            DrawnLine line;
            line.sheet = at.sheet;
            line.from = point;
            line.to = stub;
            line.what = "stub of " + model::pinKey(design_, at) + " " + where(at.sheet, at.end);
            plan_.lines.push_back(line);
            offGrid_.insert({at.sheet, stub});
            point = stub;
        }
        if (power && global) {
            PlacedSymbol placed;
            placed.sheet = at.sheet;
            placed.symbol = use(SymbolUse::PowerConnector, -1, "", text);
            placed.anchor = point;
            placed.angle = connectorAngle(at);
            char ref[16];
            std::snprintf(ref, sizeof ref, "#PWR%02d", ++addedPower_ + powerParts_);
            placed.ref = ref;
            placed.value = text;
            plan_.placed.push_back(placed);
            continue;
        }
        DrawnLabel drawn;
        drawn.sheet = at.sheet;
        drawn.at = point;
        drawn.kind = global ? LabelKind::Global : LabelKind::Local;
        drawn.text = text;
        drawn.added = true;
        drawn.angle = (connectorAngle(at) + 90) % 360;
        drawn.what = "name of " + model::pinKey(design_, at) + " " + where(at.sheet, at.end);
        if (point == kpoint(at.end))
            addLabelTouch(drawn, net, at.end);
        else
            plan_.labels.push_back(drawn); // a point of its own: nothing else can touch it
    }
}

// Whether a slanting line passes through a point off the grid (no
// other line can).
bool Planner::slantThrough(int sheet, KPoint at) const {
    auto slants = slants_.find(sheet);
    if (slants == slants_.end())
        return false;
    for (const Segment& s : slants->second) {
        KPoint a = kpoint(s.from), b = kpoint(s.to);
        if ((b.x - a.x) * (at.y - a.y) == (b.y - a.y) * (at.x - a.x) &&
            std::min(a.x, b.x) <= at.x && at.x <= std::max(a.x, b.x) &&
            std::min(a.y, b.y) <= at.y && at.y <= std::max(a.y, b.y))
            return true;
    }
    return false;
}

// The end of a stub from a point, in the first direction whose end no
// slanting line passes (a line through the point would pass it only
// were the stub to run along the line, which KiCad would merge into
// it) and nothing else was put at. Never along (2, 1): parts move so.
KPoint Planner::stubEnd(int sheet, KPoint from) const {
    const KPoint tries[] = {{1, 2},   {2, -1}, {1, -2}, {-2, 1}, {-1, 2}, {-2, -1},
                            {-1, -2}, {3, 1},  {1, 3},  {3, -1}, {1, -3}, {-3, 1}};
    for (KPoint d : tries) {
        KPoint end{from.x + d.x * nudge, from.y + d.y * nudge};
        if (!slantThrough(sheet, end) && offGrid_.count({sheet, end}) == 0)
            return end;
    }
    return {from.x + nudge, from.y + 2 * nudge};
}

} // namespace dovla::sheettool::kicad::planning
