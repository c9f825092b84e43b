#include "export/kicad_plan.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

#include "export/kicad_page.h"
#include "export/kicad_symbols.h"
#include "export/kicad_text.h"
#include "export/power_parts.h"

namespace dovla::sheettool::kicad {

std::string undrawnPartWarning(const model::Part& part, const std::string& consequence) {
    return "part " + (part.ref.empty() ? part.name : part.ref) + " " + part.libName +
           (part.found ? ": its block is not in the library" : ": no library holds it") + "; " +
           consequence;
}

KPoint kpoint(model::Point at) {
    return {at.x * unitIU, at.y * unitIU};
}

namespace {

using model::Design;
using model::GroupRef;
using model::ItemKind;
using model::Point;

// How far a wire end is drawn short of a point where it must not join:
// a hundredth of the grid, too little to see.
constexpr std::int64_t nudge = 254;

// Who an item belongs to: a net's index, the buses, or an item of no net
// (each its own, numbered after the nets).
constexpr int busOwner = -1;

struct Touch {
    enum Kind { WireEnd, BusEnd, PinEnd, LabelAt, JunctionAt, EntryEnd };
    Kind kind;
    int owner;
    std::uint32_t index; // a line, pin, label or junction of the plan
    int end;             // of a line: 0 from, 1 to
    bool gone = false;   // the end was drawn short of the point
};

using Place = std::tuple<int, std::int32_t, std::int32_t>; // sheet, x, y in units

struct Segment {
    int owner;
    std::uint32_t line;
    Point from, to;
};

std::string where(int sheet, Point at) {
    return std::to_string(sheet) + ":" + std::to_string(at.x) + "," + std::to_string(at.y);
}

std::string uniqueIn(std::set<std::string>& taken, const std::string& base) {
    std::string name = base.empty() ? "N" : base;
    for (int n = 2; !taken.insert(name).second; ++n)
        name = (base.empty() ? "N" : base) + "_" + std::to_string(n);
    return name;
}

class Planner {
  public:
    explicit Planner(const Design& design) : design_(design) {}

    Plan run() {
        plan_.annotation = annotate(design_);
        sheets();
        owners();
        names();
        lines();
        symbols();
        segmentIndex();
        junctions();
        labels();
        tags();
        wireEnds();
        entries();
        joinPieces();
        powerFlags();
        placeOnPages(design_, plan_);
        return std::move(plan_);
    }

  private:
    // --- who owns what -------------------------------------------------
    void sheets() {
        std::set<int> numbers;
        for (const model::Sheet& sheet : design_.sheets)
            numbers.insert(sheet.number);
        for (const model::ItemRef& item : design_.items)
            numbers.insert(model::sheetOf(design_, item));
        for (const model::Part& part : design_.parts)
            numbers.insert(part.sheet);
        plan_.sheets.assign(numbers.begin(), numbers.end());
    }

    void owners() {
        nextLoose_ = static_cast<int>(design_.nets.size());
        pinOwner_.resize(design_.pins.size());
        for (std::size_t i = 0; i < design_.pins.size(); ++i)
            pinOwner_[i] = ownerOf(design_.pins[i].group);
    }
    // An item of no net stands alone: a wire or pin that dovla32 joined to
    // a bus group is in no net of the net list, and KiCad's buses join none.
    int ownerOf(GroupRef group) {
        if (group.kind == GroupRef::Net)
            return static_cast<int>(group.index);
        return nextLoose_++;
    }

    bool isPowerPart(const model::Part& part) const { return kicad::isPowerPart(design_, part); }

    // --- names -----------------------------------------------------------
    void names() {
        std::set<std::string> taken;
        for (const model::Net& net : design_.nets)
            plan_.netNames.push_back(uniqueIn(taken, netText(net.key)));
        // A text may stand as it is only where one net alone carries it.
        auto claim = [&](const std::string& name, GroupRef group) {
            if (group.kind == GroupRef::Net)
                claims_[netText(name)].insert(static_cast<int>(group.index));
            else
                claims_[netText(name)].insert(-2);
        };
        for (const model::Label& label : design_.labels)
            claim(label.name, label.group);
        for (const model::Tag& tag : design_.tags)
            claim(tag.name, tag.group);
        for (const model::Part& part : design_.parts)
            if (isPowerPart(part))
                claim(part.name, design_.pins[part.pins[0]].group);
        for (std::size_t i = 0; i < plan_.netNames.size(); ++i)
            claims_[plan_.netNames[i]].insert(static_cast<int>(i));
    }
    // The text a name of a net is drawn with: its own where that is safe.
    std::string textFor(const std::string& name, int net) const {
        std::string text = netText(name);
        auto claim = claims_.find(text);
        if (!text.empty() && claim != claims_.end() && claim->second.size() == 1 &&
            *claim->second.begin() == net)
            return text;
        return plan_.netNames[net];
    }

    // --- wires and buses ----------------------------------------------------
    void lines() {
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
    void unmergeOverlaps() {
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
            std::sort(members.begin(), members.end(),
                      [&](std::uint32_t a, std::uint32_t b) { return span(a) < span(b); });
            std::vector<std::uint32_t> kept;
            for (std::uint32_t i : members) {
                // Only lines still reaching this one's start can overlap it.
                std::erase_if(kept,
                              [&](std::uint32_t k) { return span(k).second <= span(i).first; });
                bool clash = std::any_of(kept.begin(), kept.end(), [&](std::uint32_t k) {
                    return lineOwner_[k] != lineOwner_[i];
                });
                if (clash)
                    plan_.lines[i].connecting = false;
                else
                    kept.push_back(i);
            }
        }
    }

    // The project's symbol for a library part in one use, or for a box.
    int use(SymbolUse::Kind kind, int symbol, const std::string& libName,
            const std::string& powerName = "") {
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
        made.name = uniqueIn(symbolNames_, base);
        int index = static_cast<int>(plan_.symbols.size());
        plan_.symbols.push_back(made);
        uses_[key] = index;
        return index;
    }

    void symbols() {
        int powerCount = 0;
        int otherCount = 0;
        std::set<std::string> netTexts(plan_.netNames.begin(), plan_.netNames.end());
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
                                   : uniqueIn(netTexts, netText(part.name));
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
    void place(const model::Part& part, PlacedSymbol& placed) {
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
        std::int64_t x =
            placed.mirror ? part.origin.x - turn.tx - turn.span : part.origin.x + turn.tx;
        placed.anchor = {x * unitIU, (part.origin.y + turn.ty) * unitIU};
    }

    // --- the index of lines by the points they pass --------------------
    void segmentIndex() {
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
            else
                slants_[line.sheet].push_back(segment);
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
    void add(Place place, Touch touch) { touches_[place].push_back(touch); }

    // Every line that passes through the point, its ends left out.
    template <typename Visit> void throughLines(int sheet, Point at, Visit visit) const {
        auto inside = [](std::int32_t a, std::int32_t b, std::int32_t v) {
            return std::min(a, b) < v && v < std::max(a, b);
        };
        if (auto row = rows_.find({sheet, at.y}); row != rows_.end())
            for (const Segment& s : row->second)
                if (inside(s.from.x, s.to.x, at.x))
                    visit(s);
        if (auto column = columns_.find({sheet, at.x}); column != columns_.end())
            for (const Segment& s : column->second)
                if (inside(s.from.y, s.to.y, at.y))
                    visit(s);
        if (auto slants = slants_.find(sheet); slants != slants_.end())
            for (const Segment& s : slants->second) {
                std::int64_t cross = std::int64_t{s.to.x - s.from.x} * (at.y - s.from.y) -
                                     std::int64_t{s.to.y - s.from.y} * (at.x - s.from.x);
                if (cross == 0 && inside(s.from.x, s.to.x, at.x) && inside(s.from.y, s.to.y, at.y))
                    visit(s);
            }
    }

    // The owners of everything at a point: what ends there and what passes.
    std::set<int> ownersAt(int sheet, Point at) const {
        std::set<int> owners;
        if (auto found = touches_.find({sheet, at.x, at.y}); found != touches_.end())
            for (const Touch& touch : found->second)
                if (!touch.gone)
                    owners.insert(touch.owner);
        throughLines(sheet, at, [&](const Segment& s) { owners.insert(s.owner); });
        return owners;
    }
    bool onlyNet(int sheet, Point at, int net) const {
        std::set<int> owners = ownersAt(sheet, at);
        return owners.empty() || (owners.size() == 1 && *owners.begin() == net);
    }

    // --- junctions, labels, tags -----------------------------------------
    void junctions() {
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

    void labels() {
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
    void addLabelTouch(const DrawnLabel& drawn, int net, Point at) {
        add({drawn.sheet, at.x, at.y},
            {Touch::LabelAt, net, static_cast<std::uint32_t>(plan_.labels.size()), 0});
        plan_.labels.push_back(drawn);
    }

    // A tag is KiCad's global label, joined at one end: the end where its
    // net goes on.
    void tags() {
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

    // --- ends of different nets at one point --------------------------------
    // Where pins of several nets meet, one net keeps the point and the
    // parts of the others' pins move by a hair (power symbols first: they
    // join by their name wherever they stand). Then, at a point where items
    // of several nets end, one net keeps it (its pins, else whatever names
    // it, else the first wire's) and the wire and bus ends of the others are
    // drawn a hair short of it.
    void wireEnds() {
        for (auto& [place, list] : touches_)
            separatePins(list);
        for (auto& [place, list] : touches_) {
            std::set<int> owners;
            for (const Touch& touch : list)
                if (!touch.gone)
                    owners.insert(touch.owner);
            if (owners.size() < 2)
                continue;
            int keeper = pickKeeper(list);
            for (Touch& touch : list)
                if (!touch.gone && touch.owner != keeper &&
                    (touch.kind == Touch::WireEnd || touch.kind == Touch::BusEnd))
                    shorten(touch);
        }
    }
    void separatePins(std::vector<Touch>& list) {
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
    void movePart(std::uint32_t part, int steps) {
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
            for (Touch& touch : touches_[{p.sheet, p.end.x, p.end.y}])
                if (touch.kind == Touch::PinEnd && touch.index == pin)
                    touch.gone = true;
        }
        ++plan_.partsMoved;
    }
    KPoint pinPoint(const model::Pin& pin) const {
        KPoint at = kpoint(pin.end);
        auto shift = shift_.find(pin.part);
        KPoint by = shift == shift_.end() ? KPoint{} : shift->second;
        return {at.x + by.x, at.y + by.y};
    }
    static int pickKeeper(const std::vector<Touch>& list) {
        for (Touch::Kind kind :
             {Touch::PinEnd, Touch::LabelAt, Touch::JunctionAt, Touch::BusEnd, Touch::WireEnd})
            for (const Touch& touch : list)
                if (touch.kind == kind && !touch.gone)
                    return touch.owner;
        return list.front().owner;
    }
    void shorten(Touch& touch) {
        DrawnLine& line = plan_.lines[touch.index];
        KPoint& end = touch.end == 0 ? line.from : line.to;
        const KPoint& other = touch.end == 0 ? line.to : line.from;
        auto step = [](std::int64_t from, std::int64_t to) {
            return from < to ? nudge : from > to ? -nudge : 0;
        };
        end = {end.x + step(end.x, other.x), end.y + step(end.y, other.y)};
        touch.gone = true;
        ++plan_.shortenedEnds;
    }

    // --- bus entries ------------------------------------------------------
    // An entry is drawn as KiCad's wire-to-bus entry where its wire end
    // touches one net and its bus end nothing but buses; else as a line.
    void entries() {
        for (std::size_t i = 0; i < design_.busEntries.size(); ++i) {
            const model::BusEntry& entry = design_.busEntries[i];
            DrawnEntry drawn;
            drawn.sheet = entry.sheet;
            drawn.at = kpoint(entry.at);
            drawn.to = kpoint(entry.to);
            drawn.what =
                "entry " + where(entry.sheet, entry.at) + " " + where(entry.sheet, entry.to);
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

    // --- pieces of one net that KiCad sees apart ---------------------------------
    struct Pieces {
        std::vector<std::uint32_t> parent;
        std::uint32_t find(std::uint32_t a) {
            while (parent[a] != a)
                a = parent[a] = parent[parent[a]];
            return a;
        }
        void join(std::uint32_t a, std::uint32_t b) { parent[find(a)] = find(b); }
    };

    void joinPieces() {
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
        for (auto& [place, list] : touches_) {
            auto [sheet, x, y] = place;
            std::int64_t first = -1;
            auto joinNode = [&](std::uint32_t node) {
                if (first < 0)
                    first = node;
                else
                    pieces.join(node, static_cast<std::uint32_t>(first));
            };
            bool reachesInside = false;
            for (const Touch& touch : list) {
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
            piecesNames[pieces.find(labelBase + i)].insert(
                label.kind == LabelKind::Global ? "G" + label.text
                                                : "L" + std::to_string(label.sheet) + label.text);
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
    static bool namesJoin(const std::map<std::uint32_t, std::uint32_t>& held,
                          std::map<std::uint32_t, std::set<std::string>>& piecesNames) {
        std::set<std::string> reached = piecesNames[held.begin()->first];
        std::set<std::uint32_t> joined{held.begin()->first};
        for (bool grew = true; grew;) {
            grew = false;
            for (const auto& [piece, pin] : held) {
                if (joined.count(piece) != 0)
                    continue;
                const std::set<std::string>& names = piecesNames[piece];
                bool meets = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
                    return reached.count(n) != 0;
                });
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
    void addNames(int net, const std::map<std::uint32_t, std::uint32_t>& held,
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
                auto own = std::find_if(
                    piecesLabels_[piece].begin(), piecesLabels_[piece].end(),
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
    // KiCad's rules check wants every net of power symbols driven: one
    // PWR_FLAG on each, on the pin of its first power symbol.
    void powerFlags() {
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
    int freeAngle(int sheet, KPoint at, int taken) const {
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

    // Whether a slanting line passes through a point off the grid (no
    // other line can).
    bool slantThrough(int sheet, KPoint at) const {
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
    KPoint stubEnd(int sheet, KPoint from) const {
        const KPoint tries[] = {{1, 2},   {2, -1}, {1, -2}, {-2, 1}, {-1, 2}, {-2, -1},
                                {-1, -2}, {3, 1},  {1, 3},  {3, -1}, {1, -3}, {-3, 1}};
        for (KPoint d : tries) {
            KPoint end{from.x + d.x * nudge, from.y + d.y * nudge};
            if (!slantThrough(sheet, end) && offGrid_.count({sheet, end}) == 0)
                return end;
        }
        return {from.x + nudge, from.y + 2 * nudge};
    }

    // The angle that points a symbol's body away from the pin's part.
    static int connectorAngle(const model::Pin& pin) {
        if (pin.end.x < pin.root.x)
            return 90;
        if (pin.end.x > pin.root.x)
            return 270;
        return pin.end.y > pin.root.y ? 180 : 0;
    }

    const Design& design_;
    Plan plan_;
    int nextLoose_ = 0;
    int addedPower_ = 0;
    int powerParts_ = 0;
    std::set<std::string> symbolNames_;
    std::map<std::tuple<int, int, std::string>, int> uses_;
    std::vector<int> pinOwner_;
    std::vector<int> lineOwner_;
    std::vector<std::pair<Point, Point>> lineSource_;
    std::map<std::string, std::set<int>> claims_;
    std::map<std::uint32_t, KPoint> shift_;    // parts moved, by how far
    std::set<std::pair<int, KPoint>> offGrid_; // the pins moved and the stubs' ends
    std::map<std::uint32_t, std::vector<std::uint32_t>> piecesLabels_; // local labels by piece
    std::map<Place, std::vector<Touch>> touches_;
    std::map<std::pair<int, std::int32_t>, std::vector<Segment>> rows_;
    std::map<std::pair<int, std::int32_t>, std::vector<Segment>> columns_;
    std::map<int, std::vector<Segment>> slants_;
};

} // namespace

Plan planKicad(const Design& design) {
    return Planner(design).run();
}

} // namespace dovla::sheettool::kicad
