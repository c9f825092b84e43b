#include "export/kicad_netlist.h"

#include <map>
#include <set>

#include "export/kicad_text.h"

namespace dovla::sheettool::kicad {

namespace {

std::string pinNumber(const model::Pin& pin) {
    std::string number;
    if (pin.letter != 0)
        number += pin.letter;
    return number + std::to_string(pin.number);
}

// KiCad leaves symbols whose reference begins with '#' out of its net
// list: power symbols, and here the parts without a reference.
bool listed(const PlacedSymbol& placed) {
    return placed.ref[0] != '#';
}

} // namespace

std::string netlistText(const model::Design& design, const Plan& plan, const std::string& library) {
    std::string out = "(export (version \"E\")\n  (design\n    (source " +
                      quoted(utf8Text(design.sheetPath)) +
                      ")\n    (tool \"sheettool\"))\n  (components";
    // One component per reference, at its first block; its blocks after.
    std::map<std::string, std::vector<int>> blocks;
    std::vector<std::uint32_t> first;
    for (std::uint32_t i = 0; i < design.parts.size(); ++i) {
        const PlacedSymbol& placed = plan.placed[i];
        if (!listed(placed))
            continue;
        auto [at, added] = blocks.try_emplace(placed.ref);
        at->second.push_back(design.parts[i].block + 1);
        if (added)
            first.push_back(i);
    }
    for (std::uint32_t i : first) {
        const model::Part& part = design.parts[i];
        const PlacedSymbol& placed = plan.placed[i];
        out += "\n    (comp (ref " + quoted(placed.ref) + ")\n      (value " +
               quoted(placed.value.empty() ? "~" : placed.value) + ")\n      (libsource (lib " +
               quoted(library) + ") (part " + quoted(plan.symbols[placed.symbol].name) +
               ") (description \"\"))";
        if (part.blockCount > 1) {
            std::string list;
            for (int block : blocks[placed.ref])
                list += (list.empty() ? "" : ", ") + std::to_string(block);
            out += "\n      (property (name \"Blocks\") (value " +
                   quoted(list + " of " + std::to_string(part.blockCount)) + "))";
        }
        if (!placed.originalRef.empty())
            out += "\n      (property (name \"Original reference\") (value " +
                   quoted(placed.originalRef) + "))";
        out += ")";
    }
    out += ")\n  (nets";
    int code = 0;
    for (std::size_t n = 0; n < design.nets.size(); ++n) {
        const model::Net& net = design.nets[n];
        if (!net.written)
            continue;
        // A pin that several blocks share (a supply pin) is in the net once.
        std::set<std::pair<std::string, std::string>> seen;
        std::string nodes;
        for (const model::ItemRef& member : net.members) {
            if (member.kind != model::ItemKind::Pin || !design.pins[member.index].listed)
                continue;
            const model::Pin& pin = design.pins[member.index];
            const PlacedSymbol& placed = plan.placed[pin.part];
            if (!listed(placed) || !seen.emplace(placed.ref, pinNumber(pin)).second)
                continue;
            nodes += "\n      (node (ref " + quoted(placed.ref) + ") (pin " +
                     quoted(pinNumber(pin)) + ")";
            if (!pin.name.empty())
                nodes += " (pinfunction " + quoted(utf8Text(pin.name)) + ")";
            nodes += " (pintype \"passive\"))";
        }
        if (nodes.empty())
            continue;
        out += "\n    (net (code " + quoted(std::to_string(++code)) + ") (name " +
               quoted(plan.netNames[n]) + ")" + nodes + ")";
    }
    return out + ")\n)\n";
}

bool netlistComplete(const model::Design& design, const Plan& plan) {
    for (std::uint32_t i = 0; i < design.parts.size(); ++i)
        if (listed(plan.placed[i]) && (design.parts[i].symbol < 0 || !design.parts[i].pinsPlaced))
            return false;
    return true;
}

} // namespace dovla::sheettool::kicad
