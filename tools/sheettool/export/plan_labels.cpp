// Junctions, labels and tags, each drawn only where it touches one net.

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

void Planner::junctions() {
    for (const model::Junction& junction : design_.junctions) {
        std::set<int> owners = ownersAt(junction.sheet, junction.at);
        if (owners.size() > 1 || owners.count(busOwner) != 0) {
            ++plan_.junctionsLeftOut;
            continue;
        }
        auto index = static_cast<std::uint32_t>(plan_.junctionPoints.size());
        plan_.junctionPoints.push_back(kpoint(junction.at));
        plan_.junctionSheets.push_back(junction.sheet);
        if (!owners.empty())
            add({junction.sheet, junction.at.x, junction.at.y},
                {Touch::JunctionAt, *owners.begin(), index, 0});
    }
}

void Planner::labels() {
    for (std::size_t i = 0; i < design_.labels.size(); ++i) {
        const model::Label& label = design_.labels[i];
        DrawnLabel drawn;
        drawn.sheet = label.sheet;
        drawn.at = kpoint(label.at);
        drawn.angle = label.vertical ? 90 : 0;
        drawn.what = "label " + where(label.sheet, label.at) + " " + label.name;
        int net = label.group.kind == GroupRef::Net ? static_cast<int>(label.group.index) : -2;
        if (net >= 0 && onlyNet(label.sheet, label.at, net)) {
            drawn.kind = LabelKind::Local;
            drawn.text = textFor(label.name, net);
            addLabelTouch(drawn, net, label.at);
        } else {
            drawn.kind = LabelKind::Text;
            drawn.text = utf8Text(label.name);
            plan_.labels.push_back(drawn);
        }
    }
}

void Planner::addLabelTouch(const DrawnLabel& drawn, int net, Point at) {
    add({drawn.sheet, at.x, at.y},
        {Touch::LabelAt, net, static_cast<std::uint32_t>(plan_.labels.size()), 0});
    plan_.labels.push_back(drawn);
}

// A tag is KiCad's global label, joined at one end: the end where its
// net goes on.
void Planner::tags() {
    for (std::size_t i = 0; i < design_.tags.size(); ++i) {
        const model::Tag& tag = design_.tags[i];
        int net = tag.group.kind == GroupRef::Net ? static_cast<int>(tag.group.index) : -2;
        Point anchor = tag.from;
        Point other = tag.to;
        if (net >= 0 && ownersAt(tag.sheet, tag.from).count(net) == 0 &&
            ownersAt(tag.sheet, tag.to).count(net) != 0)
            std::swap(anchor, other);
        DrawnLabel drawn;
        drawn.sheet = tag.sheet;
        drawn.at = kpoint(anchor);
        drawn.angle = other.x < anchor.x ? 180 : 0;
        drawn.what = "tag " + where(tag.sheet, tag.from) + " " + tag.name;
        if (net >= 0 && onlyNet(tag.sheet, anchor, net)) {
            drawn.kind = LabelKind::Global;
            drawn.text = textFor(tag.name, net);
            addLabelTouch(drawn, net, anchor);
        } else {
            drawn.kind = LabelKind::Text;
            drawn.text = utf8Text(tag.name);
            plan_.labels.push_back(drawn);
        }
    }
}

} // namespace dovla::sheettool::kicad::planning
