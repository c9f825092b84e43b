#include "export/kicad_netlist.h"

#include <map>

#include "export/kicad_text.h"

namespace dovla::sheettool::kicad {

namespace {

std::string pinNumber(const model::Pin& pin) {
    std::string number;
    if (pin.letter != 0)
        number += pin.letter;
    return number + std::to_string(pin.number);
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
        const model::Part& part = design.parts[i];
        const PlacedSymbol& placed = plan.placed[i];
        if (placed.ref.rfind("#PWR", 0) == 0)
            continue;
        auto [at, added] = blocks.try_emplace(placed.ref);
        at->second.push_back(part.block + 1);
        if (added)
            first.push_back(i);
    }
    for (std::uint32_t i : first) {
        const model::Part& part = design.parts[i];
        const PlacedSymbol& placed = plan.placed[i];
        out += "\n    (comp (ref " + quoted(placed.ref) + ")\n      (value " +
               quoted(placed.value) + ")\n      (libsource (lib " + quoted(library) + ") (part " +
               quoted(utf8Text(part.libName)) + ") (description \"\"))";
        if (part.blockCount > 1) {
            std::string list;
            for (int block : blocks[placed.ref])
                list += (list.empty() ? "" : ", ") + std::to_string(block);
            out += "\n      (property (name \"Blocks\") (value " +
                   quoted(list + " of " + std::to_string(part.blockCount)) + "))";
        }
        out += ")";
    }
    out += ")\n  (nets";
    int code = 0;
    for (std::size_t n = 0; n < design.nets.size(); ++n) {
        const model::Net& net = design.nets[n];
        if (!net.written)
            continue;
        out += "\n    (net (code " + quoted(std::to_string(++code)) + ") (name " +
               quoted(plan.netNames[n]) + ")";
        for (const model::ItemRef& member : net.members) {
            if (member.kind != model::ItemKind::Pin || !design.pins[member.index].listed)
                continue;
            const model::Pin& pin = design.pins[member.index];
            out += "\n      (node (ref " + quoted(plan.placed[pin.part].ref) + ") (pin " +
                   quoted(pinNumber(pin)) + ")";
            if (!pin.name.empty())
                out += " (pinfunction " + quoted(utf8Text(pin.name)) + ")";
            out += " (pintype \"passive\"))";
        }
        out += ")";
    }
    return out + ")\n)\n";
}

} // namespace dovla::sheettool::kicad
