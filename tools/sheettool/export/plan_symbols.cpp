// Parts as symbols, power parts as power symbols, and a PWR_FLAG on each power net.

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

// The project's symbol for a library part in one use, or for a box.
int Planner::use(SymbolUse::Kind kind, int symbol, const std::string& libName,
                 const std::string& powerName) {
    std::tuple<int, int, std::string> key{static_cast<int>(kind), symbol,
                                          kind == SymbolUse::Box ? libName : powerName};
    if (auto at = uses_.find(key); at != uses_.end())
        return at->second;
    SymbolUse made;
    made.kind = kind;
    made.symbol = symbol;
    made.libName = libName;
    made.powerName = powerName;
    std::string base = idText(libName);
    if (kind == SymbolUse::Box)
        base = "MISSING_" + base;
    else if (kind == SymbolUse::PowerConnector)
        base = idText(powerName);
    else if (kind == SymbolUse::PowerFlag)
        base = "PWR_FLAG";
    made.name = symbolNames_.claim(base);
    int index = static_cast<int>(plan_.symbols.size());
    plan_.symbols.push_back(made);
    uses_[key] = index;
    return index;
}

void Planner::symbols() {
    int powerCount = 0;
    int otherCount = 0;
    UniqueNames netTexts(plan_.netNames);
    for (std::uint32_t i = 0; i < design_.parts.size(); ++i) {
        const model::Part& part = design_.parts[i];
        PlacedSymbol placed;
        placed.part = i;
        placed.sheet = part.sheet;
        bool power = isPowerPart(part);
        if (power) {
            int owner = pinOwner_[part.pins[0]];
            // A power symbol of no net must not share a net's name.
            placed.value = owner >= 0 && owner < static_cast<int>(design_.nets.size())
                               ? textFor(part.name, owner)
                               : netTexts.claim(netText(part.name));
        }
        if (power && part.pins.size() == 1) {
            // Drawn where its pin ends, pointing where its body was.
            const model::Pin& pin = design_.pins[part.pins[0]];
            placed.symbol = use(SymbolUse::PowerConnector, -1, "", placed.value);
            placed.anchor = kpoint(pin.end);
            placed.angle = (connectorAngle(pin) + 180) % 360;
        } else if (part.symbol >= 0 && part.pinsPlaced) {
            placed.symbol = use(power ? SymbolUse::PowerPart : SymbolUse::Library, part.symbol,
                                part.libName, placed.value);
            placed.unit = part.block + 1;
            place(part, placed);
        } else {
            placed.symbol = use(SymbolUse::Box, -1, part.libName);
            placed.anchor = kpoint(part.origin);
        }
        if (power) {
            char ref[16];
            std::snprintf(ref, sizeof ref, "#PWR%02d", ++powerCount);
            placed.ref = ref;
        } else {
            if (part.ref.empty()) {
                char ref[16];
                std::snprintf(ref, sizeof ref, "#U%02d", ++otherCount);
                placed.ref = ref;
            } else {
                placed.ref = plan_.annotation.refs[i];
                if (placed.ref != utf8Text(part.ref))
                    placed.originalRef = utf8Text(part.ref);
            }
            placed.value = utf8Text(part.name);
        }
        plan_.placed.push_back(placed);
    }
    powerParts_ = powerCount;
}

// KiCad turns a symbol about its anchor (90 turns counter-clockwise on
// the sheet) and then mirrors it left to right; dovla32 keeps the turned
// body within the rectangle whose far corner is the part's origin.
void Planner::place(const model::Part& part, PlacedSymbol& placed) {
    const model::Symbol& symbol = design_.symbols[part.symbol];
    std::int64_t w = 10 * symbol.width;
    std::int64_t h = 10 * symbol.height;
    struct Turn {
        std::int64_t tx, ty, span;
        int angle;
    };
    const Turn turns[4] = {{0, 0, w, 0}, {-h, 0, h, 270}, {-w, -h, w, 180}, {0, -w, h, 90}};
    const Turn& turn = turns[part.placement & 3];
    placed.angle = turn.angle;
    placed.mirror = (part.placement & 4) != 0;
    std::int64_t x = placed.mirror ? part.origin.x - turn.tx - turn.span : part.origin.x + turn.tx;
    placed.anchor = {x * unitIU, (part.origin.y + turn.ty) * unitIU};
}

// KiCad's rules check wants every net of power symbols driven: one
// PWR_FLAG on each, on the pin of its first power symbol.
void Planner::powerFlags() {
    std::set<std::string> flagged;
    std::size_t count = plan_.placed.size();
    for (std::size_t i = 0; i < count; ++i) {
        const PlacedSymbol power = plan_.placed[i];
        SymbolUse::Kind kind = plan_.symbols[power.symbol].kind;
        if ((kind != SymbolUse::PowerConnector && kind != SymbolUse::PowerPart) ||
            !flagged.insert(power.value).second)
            continue;
        PlacedSymbol flag;
        flag.sheet = power.sheet;
        flag.symbol = use(SymbolUse::PowerFlag, -1, "", "");
        flag.anchor = kind == SymbolUse::PowerConnector
                          ? power.anchor
                          : pinPoint(design_.pins[design_.parts[power.part].pins[0]]);
        flag.angle = freeAngle(flag.sheet, flag.anchor, power.angle);
        char ref[16];
        std::snprintf(ref, sizeof ref, "#FLG%02d", ++plan_.powerFlags);
        flag.ref = ref;
        flag.value = "PWR_FLAG";
        plan_.placed.push_back(flag);
    }
}

// A direction (as a symbol's angle: 0 up, 90 left, 180 down, 270 right)
// in which no line or pin leaves the point, nor the symbol there; across
// that symbol when every one is taken.
int Planner::freeAngle(int sheet, KPoint at, int taken) const {
    std::set<int> used{taken};
    auto leave = [&](KPoint to) {
        if (to.x != at.x && to.y != at.y)
            return;
        used.insert(to.y < at.y ? 0 : to.x < at.x ? 90 : to.y > at.y ? 180 : 270);
    };
    for (const DrawnLine& line : plan_.lines) {
        if (line.sheet != sheet || (line.from != at && line.to != at))
            continue;
        leave(line.from == at ? line.to : line.from);
    }
    for (const model::Pin& pin : design_.pins)
        if (pin.sheet == sheet && pinPoint(pin) == at)
            leave(kpoint(pin.root));
    for (int turn : {270, 90, 180}) {
        int angle = (taken + turn) % 360;
        if (used.count(angle) == 0)
            return angle;
    }
    return (taken + 270) % 360;
}

// The angle that points a symbol's body away from the pin's part.
int Planner::connectorAngle(const model::Pin& pin) {
    if (pin.end.x < pin.root.x)
        return 90;
    if (pin.end.x > pin.root.x)
        return 270;
    return pin.end.y > pin.root.y ? 180 : 0;
}

} // namespace dovla::sheettool::kicad::planning
