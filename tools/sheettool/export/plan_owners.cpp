// Who owns each item (a net, the buses, or itself), and the text each net is named by.

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

void Planner::sheets() {
    std::set<int> numbers;
    for (const model::Sheet& sheet : design_.sheets)
        numbers.insert(sheet.number);
    for (const model::ItemRef& item : design_.items)
        numbers.insert(model::sheetOf(design_, item));
    for (const model::Part& part : design_.parts)
        numbers.insert(part.sheet);
    plan_.sheets.assign(numbers.begin(), numbers.end());
}

void Planner::owners() {
    nextLoose_ = static_cast<int>(design_.nets.size());
    pinOwner_.resize(design_.pins.size());
    for (std::size_t i = 0; i < design_.pins.size(); ++i)
        pinOwner_[i] = ownerOf(design_.pins[i].group);
}

// An item of no net stands alone: a wire or pin that dovla32 joined to
// a bus group is in no net of the net list, and KiCad's buses join none.
int Planner::ownerOf(GroupRef group) {
    if (group.kind == GroupRef::Net)
        return static_cast<int>(group.index);
    return nextLoose_++;
}

void Planner::names() {
    UniqueNames taken;
    for (const model::Net& net : design_.nets)
        plan_.netNames.push_back(taken.claim(netText(net.key)));
    // A text may stand as it is only where one net alone carries it.
    auto claim = [&](const std::string& name, GroupRef group) {
        if (group.kind == GroupRef::Net)
            claims_[netText(name)].insert(static_cast<int>(group.index));
        else
            claims_[netText(name)].insert(-2);
    };
    // The names that join: labels, tags and power symbols.
    auto eachName = [&](auto visit) {
        for (const model::Label& label : design_.labels)
            visit(label.name, label.group);
        for (const model::Tag& tag : design_.tags)
            visit(tag.name, tag.group);
        for (const model::Part& part : design_.parts)
            if (isPowerPart(part))
                visit(part.name, design_.pins[part.pins[0]].group);
    };
    eachName(claim);
    for (std::size_t i = 0; i < plan_.netNames.size(); ++i)
        claims_[plan_.netNames[i]].insert(static_cast<int>(i));
    eachName([&](const std::string& name, GroupRef group) { keepApart(name, group); });
}

// A name that several nets carry stays with one: the net dovla32 names by
// it, else the first to carry it, which KiCad then names by it too. Each
// other net is named by it with the smallest change that no other net has
// ("TX_2"), once, and the change is listed.
void Planner::keepApart(const std::string& name, GroupRef group) {
    std::string text = netText(name);
    if (text.empty() || group.kind != GroupRef::Net || claims_[text].size() < 2)
        return;
    auto net = static_cast<int>(group.index);
    auto [keeper, first] = keepers_.try_emplace(text, net);
    if (first) {
        auto named = std::find(plan_.netNames.begin(), plan_.netNames.end(), text);
        if (named != plan_.netNames.end())
            keeper->second = static_cast<int>(named - plan_.netNames.begin());
        else if (renamed_.insert(net).second)
            plan_.netNames[net] = text;
    }
    if (keeper->second == net || !renamed_.insert(net).second)
        return;
    std::string changed =
        claimSuffixes_.firstFree(text, [&](const std::string& s) { return claims_.count(s); });
    plan_.renamedNets.push_back({net, text, changed});
    plan_.netNames[net] = changed;
    claims_[changed].insert(net);
}

// The text a name of a net is drawn with: its own where that is safe.
std::string Planner::textFor(const std::string& name, int net) const {
    std::string text = netText(name);
    auto claim = claims_.find(text);
    if (!text.empty() && claim != claims_.end() && claim->second.size() == 1 &&
        *claim->second.begin() == net)
        return text;
    if (auto keeper = keepers_.find(text); keeper != keepers_.end() && keeper->second == net)
        return text;
    return plan_.netNames[net];
}

} // namespace dovla::sheettool::kicad::planning
