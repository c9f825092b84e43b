#include "findings.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "bus_scan_points.h"
#include "item_points.h"
#include "power_shorts.h"

namespace dovla::model {

namespace {

std::string quoted(std::string_view name) {
    std::string text;
    text.reserve(name.size() + 2);
    text.append(1, '"').append(name).append(1, '"');
    return text;
}

std::string quotedList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ", ") + quoted(name);
    return list;
}

std::string placeText(int sheet, Point at) {
    std::string text;
    appendPlace(text, sheet, at);
    return text;
}

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// A name a group's members carry, at the place of its source. The name
// is the design's own text, which outlives the check.
struct NameSource {
    std::string_view name;
    int sheet;
    Point at;
    bool power;
    ItemRef item;
};

// Where the buses of a design lie: for each horizontal and vertical line
// of a sheet, the stretches that buses cover, merged, so that a point is
// looked up in logarithmic time however many buses there are. A wire meets
// an oblique bus nowhere (the net builder scans none), so those are left
// out.
// The distinct names of one group, numbered in the order they are first
// met. A net carries few names, so a look along them is quicker than a
// tree; a net of many names gets a hash index.
class NamesMet {
  public:
    // The name's number, and whether it is met for the first time.
    std::pair<std::size_t, bool> meet(std::string_view name) {
        if (index_.empty()) {
            auto found = std::find(names_.begin(), names_.end(), name);
            if (found != names_.end())
                return {static_cast<std::size_t>(found - names_.begin()), false};
        } else if (auto found = index_.find(name); found != index_.end()) {
            return {found->second, false};
        }
        names_.push_back(name);
        if (!index_.empty())
            index_.emplace(name, names_.size() - 1);
        else if (names_.size() > lookAlong)
            for (std::size_t i = 0; i < names_.size(); ++i)
                index_.emplace(names_[i], i);
        return {names_.size() - 1, true};
    }

    const std::vector<std::string_view>& names() const { return names_; }

  private:
    static constexpr std::size_t lookAlong = 16;
    std::vector<std::string_view> names_;
    std::unordered_map<std::string_view, std::size_t> index_;
};

class BusLines {
  public:
    explicit BusLines(const Design& design) {
        for (const Line& bus : design.buses) {
            if (bus.from.y == bus.to.y)
                horizontal_[{bus.sheet, bus.from.y}].push_back(span(bus.from.x, bus.to.x));
            else if (bus.from.x == bus.to.x)
                vertical_[{bus.sheet, bus.from.x}].push_back(span(bus.from.y, bus.to.y));
        }
        merge(horizontal_);
        merge(vertical_);
    }

    bool holds(int sheet, Point at) const {
        return within(horizontal_, {sheet, at.y}, at.x) || within(vertical_, {sheet, at.x}, at.y);
    }

  private:
    using Span = std::pair<std::int32_t, std::int32_t>;
    using Spans = std::map<std::pair<int, std::int32_t>, std::vector<Span>>;

    static Span span(std::int32_t a, std::int32_t b) { return {std::min(a, b), std::max(a, b)}; }

    // Each line's stretches sorted and joined where they overlap or meet.
    static void merge(Spans& lines) {
        for (auto& [line, spans] : lines) {
            std::sort(spans.begin(), spans.end());
            std::vector<Span> merged;
            for (const Span& s : spans) {
                if (!merged.empty() && s.first <= merged.back().second)
                    merged.back().second = std::max(merged.back().second, s.second);
                else
                    merged.push_back(s);
            }
            spans = std::move(merged);
        }
    }

    static bool within(const Spans& lines, std::pair<int, std::int32_t> line, std::int32_t at) {
        auto found = lines.find(line);
        if (found == lines.end())
            return false;
        const std::vector<Span>& spans = found->second;
        auto after = std::upper_bound(spans.begin(), spans.end(), Span{at, INT32_MAX});
        return after != spans.begin() && std::prev(after)->second >= at;
    }

    Spans horizontal_, vertical_;
};

class Checker {
  public:
    explicit Checker(const Design& design)
        : design_(design), points_(design), buses_(design), scanPoints_(design),
          pinsOfNet_(design.nets.size()), pinsOfBusGroup_(design.busGroups.size()) {
        for (const Pin& pin : design_.pins) {
            if (pin.group.kind == GroupRef::Net)
                ++pinsOfNet_[pin.group.index];
            else if (pin.group.kind == GroupRef::BusGroup)
                ++pinsOfBusGroup_[pin.group.index];
        }
    }

    std::vector<Finding> findings() {
        checkPins();
        checkWireEnds();
        checkNames();
        checkNets();
        checkBusEntries();
        checkPinNumbers();
        checkParts();
        return numberAlikes(listed());
    }

  private:
    // The findings by sheet, and within a sheet by kind, each kind in the
    // order the checks found them. The order is sorted as small places,
    // then the findings moved to theirs.
    std::vector<Finding> listed() {
        struct Place {
            int sheet;
            FindingKind kind;
            std::uint32_t found;
            bool operator<(const Place& other) const {
                return std::tie(sheet, kind) < std::tie(other.sheet, other.kind);
            }
        };
        std::vector<Place> order;
        order.reserve(findings_.size());
        for (std::uint32_t i = 0; i < findings_.size(); ++i)
            order.push_back({findings_[i].sheet, findings_[i].kind, i});
        std::stable_sort(order.begin(), order.end());
        // Each finding moved to its place along the cycles of the order,
        // a place marked done by pointing at itself.
        for (std::uint32_t start = 0; start < order.size(); ++start) {
            if (order[start].found == start)
                continue;
            Finding held = std::move(findings_[start]);
            std::uint32_t at = start;
            while (order[at].found != start) {
                const std::uint32_t from = order[at].found;
                findings_[at] = std::move(findings_[from]);
                order[at].found = at;
                at = from;
            }
            findings_[at] = std::move(held);
            order[at].found = at;
        }
        return std::move(findings_);
    }

    // No two findings of a run share a waiver: the second and later of a
    // type and subjects (two labels SPARE that name nothing) get (2), (3)...
    static std::vector<Finding> numberAlikes(std::vector<Finding> findings) {
        std::unordered_map<std::string, int> seen;
        seen.reserve(findings.size());
        std::string key;
        std::vector<const std::string*> subjects;
        for (Finding& finding : findings) {
            alikeKey(finding, subjects, key);
            int count = ++seen[key];
            if (count > 1)
                finding.subjects.push_back("(" + std::to_string(count) + ")");
        }
        return findings;
    }

    // The type and the subjects in order, each with its length, so that no
    // two different lists make one text. The subjects are put in order by
    // reference, not copied: a design may have tens of thousands of findings.
    static void alikeKey(const Finding& finding, std::vector<const std::string*>& subjects,
                         std::string& key) {
        subjects.clear();
        for (const std::string& subject : finding.subjects)
            subjects.push_back(&subject);
        std::sort(subjects.begin(), subjects.end(),
                  [](const std::string* a, const std::string* b) { return *a < *b; });
        key.clear();
        appendNumber(key, static_cast<int>(finding.kind));
        for (const std::string* subject : subjects) {
            key += ':';
            appendNumber(key, static_cast<std::int64_t>(subject->size()));
            key.append(":").append(*subject);
        }
    }

    void add(RecordSpan record, int sheet, Point at, FindingKind kind, std::string message,
             std::vector<std::string> subjects) {
        findings_.push_back({sheet, at, kind, std::move(message), std::move(subjects), record});
    }
    RecordSpan recordOfPin(const Pin& pin) const { return recordOf(design_.parts[pin.part]); }

    const std::vector<ItemRef>& membersOf(GroupRef group) const {
        return group.kind == GroupRef::Net ? design_.nets[group.index].members
                                           : design_.busGroups[group.index].members;
    }

    int pinsOf(GroupRef group) const {
        if (group.kind == GroupRef::None)
            return 0;
        return (group.kind == GroupRef::Net ? pinsOfNet_ : pinsOfBusGroup_)[group.index];
    }

    // The name an item carries, when it is a label, a tag or a power pin.
    std::optional<NameSource> nameSource(ItemRef member) const {
        if (member.kind == ItemKind::Label) {
            const Label& label = design_.labels[member.index];
            return NameSource{label.name, label.sheet, label.at, false, member};
        }
        if (member.kind == ItemKind::Tag) {
            const Tag& tag = design_.tags[member.index];
            return NameSource{tag.name, tag.sheet, tag.from, false, member};
        }
        if (member.kind == ItemKind::Pin && !design_.pins[member.index].listed) {
            const Pin& pin = design_.pins[member.index];
            return NameSource{partName(design_.parts[pin.part]), pin.sheet, pin.end, true, member};
        }
        return std::nullopt;
    }

    // The names a group carries (its labels, tags and power pins), each
    // once, in member order.
    std::vector<NameSource> nameSources(GroupRef group) const {
        std::vector<NameSource> sources;
        NamesMet met;
        for (const ItemRef& member : membersOf(group)) {
            std::optional<NameSource> source = nameSource(member);
            if (source && met.meet(source->name).second)
                sources.push_back(*source);
        }
        return sources;
    }

    // The name a part's pins carry: its name, or its library part's.
    static const std::string& partName(const Part& part) {
        return part.name.empty() ? part.libName : part.name;
    }

    // A pin as waivers name it: R1.2; a pin of a part without reference,
    // which its name does not tell from the others of its kind, by the
    // part's name and the pin's place (GND.1, sheet 1 at 440,300).
    std::vector<std::string> pinSubjects(const Pin& pin) const {
        const Part& part = design_.parts[pin.part];
        std::string key = pinKey(design_, pin);
        if (part.ref.empty())
            return {partName(part) + key, placeText(pin.sheet, pin.end)};
        return {key};
    }

    // A wire in no net as waivers name it: by its two ends, lesser first,
    // so that its waiver goes stale when the wire is drawn elsewhere.
    static std::string wireSubject(const Line& wire) {
        auto text = [](Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); };
        bool ordered =
            wire.from.x != wire.to.x ? wire.from.x < wire.to.x : wire.from.y <= wire.to.y;
        const Point& first = ordered ? wire.from : wire.to;
        const Point& last = ordered ? wire.to : wire.from;
        return "wire " + text(first) + "-" + text(last);
    }

    void checkPins() {
        for (const Pin& pin : design_.pins) {
            if (pin.group.kind == GroupRef::None) {
                add(recordOfPin(pin), pin.sheet, pin.end, FindingKind::LonelyPin,
                    "pin " + shownPin(pin) + " belongs to no net", pinSubjects(pin));
                continue;
            }
            if (pin.group.kind == GroupRef::BusGroup)
                add(recordOfPin(pin), pin.sheet, pin.end, FindingKind::PinLeftOut,
                    "pin " + shownPin(pin) +
                        " is left out of the net list: its net was merged into a bus group",
                    pinSubjects(pin));
            if (pinsOf(pin.group) > 1)
                continue;
            std::vector<NameSource> names = nameSources(pin.group);
            std::string net = names.empty() ? "its net" : "net " + quoted(names[0].name);
            add(recordOfPin(pin), pin.sheet, pin.end, FindingKind::SinglePinNet,
                "pin " + shownPin(pin) + " is the only pin of " + net, pinSubjects(pin));
        }
    }

    // A wire end is open when nothing at its point is in the wire's group;
    // a bus entry there counts as its way to the bus.
    void checkWireEnd(ItemRef wireRef, int sheet, Point at) {
        const Line& wire = design_.wires[wireRef.index];
        bool touches = false;
        for (const ItemRef& item : points_.at(sheet, at)) {
            if (item == wireRef)
                continue;
            if (item.kind == ItemKind::BusEntry ||
                (wire.group.kind != GroupRef::None && groupOf(design_, item) == wire.group))
                return;
            touches = true;
        }
        // A wire of a net is named by the net's key, which its names and
        // pins make and a redraw keeps; a wire in no net by its place.
        std::vector<std::string> subjects =
            wire.group.kind == GroupRef::Net
                ? std::vector<std::string>{design_.nets[wire.group.index].key}
                : std::vector<std::string>{placeText(sheet, at), wireSubject(wire)};
        if (buses_.holds(sheet, at))
            add(recordOf(design_, wireRef), sheet, at, FindingKind::WireOnBus,
                "wire end lies on a bus without a bus entry: it is not joined to the bus",
                std::move(subjects));
        else
            add(recordOf(design_, wireRef), sheet, at, FindingKind::OpenWireEnd,
                touches ? "wire end touches items but is joined to none of them"
                        : "wire end touches nothing",
                std::move(subjects));
    }

    void checkWireEnds() {
        for (std::uint32_t i = 0; i < design_.wires.size(); ++i) {
            const Line& wire = design_.wires[i];
            ItemRef ref{ItemKind::Wire, i};
            checkWireEnd(ref, wire.sheet, wire.from);
            if (!(wire.to == wire.from))
                checkWireEnd(ref, wire.sheet, wire.to);
        }
    }

    void checkNames() {
        std::unordered_map<std::string_view, int> uses;
        for (const ItemRef& item : design_.items) {
            if (std::optional<NameSource> source = nameSource(item))
                ++uses[source->name];
        }
        for (const ItemRef& item : design_.items) {
            if (item.kind != ItemKind::Label && item.kind != ItemKind::Tag)
                continue;
            const bool label = item.kind == ItemKind::Label;
            const NameSource source = *nameSource(item);
            const GroupRef group = groupOf(design_, item);
            const std::string what = (label ? "label " : "tag ") + quoted(source.name);
            if (group.kind == GroupRef::None) {
                add(recordOf(design_, item), source.sheet, source.at, FindingKind::UnusedName,
                    what + " names nothing", {std::string(source.name)});
                continue;
            }
            // A label only names its net; a tag joins nets of its name.
            if (group.kind != GroupRef::Net || uses[source.name] != 1 ||
                (label && pinsOf(group) >= 2))
                continue;
            add(recordOf(design_, item), source.sheet, source.at, FindingKind::NameUsedOnce,
                what + " joins nothing: no other item carries its name" +
                    (label ? " and its net has " + std::to_string(pinsOf(group)) +
                                 (pinsOf(group) == 1 ? " pin" : " pins")
                           : ""),
                {std::string(source.name)});
        }
    }

    static Point placeOf(const Design& design, ItemRef item) {
        switch (item.kind) {
        case ItemKind::Wire: {
            const Line& wire = design.wires[item.index];
            return {static_cast<std::int32_t>((std::int64_t{wire.from.x} + wire.to.x) / 2),
                    static_cast<std::int32_t>((std::int64_t{wire.from.y} + wire.to.y) / 2)};
        }
        case ItemKind::Label:
            return design.labels[item.index].at;
        case ItemKind::Tag:
            return design.tags[item.index].from;
        default: {
            Point at;
            forEachEnd(design, item, [&](int, Point end) { at = end; });
            return at;
        }
        }
    }

    // Each place where the net joins power names is a short of its own,
    // reported at the item between the two sides and named by their names,
    // so that a second symbol dropped elsewhere is not hidden behind the
    // first.
    void checkPowerShort(const Net& net, const std::vector<NameSource>& power) {
        std::vector<std::optional<MemberName>> names;
        names.reserve(net.members.size());
        for (const ItemRef& member : net.members) {
            std::optional<NameSource> source = nameSource(member);
            names.push_back(
                source ? std::optional<MemberName>({std::string(source->name), source->power})
                       : std::nullopt);
        }
        std::optional<std::vector<ShortPlace>> places = shortPlaces(design_, net.members, names);
        if (!places || places->empty()) {
            // No way between the names that the search could follow.
            std::vector<std::string> all;
            for (const NameSource& source : power)
                all.emplace_back(source.name);
            addShort(all, power[1].item, power[1].sheet, power[1].at);
            return;
        }
        auto order = [&](const std::string& name) {
            return std::find_if(power.begin(), power.end(),
                                [&](const NameSource& source) { return source.name == name; }) -
                   power.begin();
        };
        for (const ShortPlace& place : *places) {
            std::vector<std::string> pair = {names[place.side[0]]->name,
                                             names[place.side[1]]->name};
            if (order(pair[1]) < order(pair[0]))
                std::swap(pair[0], pair[1]);
            addShort(pair, place.at, sheetOf(design_, place.at), placeOf(design_, place.at));
        }
    }

    void addShort(const std::vector<std::string>& names, ItemRef item, int sheet, Point at) {
        std::vector<std::string> subjects = sorted(names);
        subjects.push_back(placeText(sheet, at));
        add(recordOf(design_, item), sheet, at, FindingKind::PowerShort,
            "short: the net joins the power names " + quotedList(names), std::move(subjects));
    }

    void checkNets() {
        for (std::uint32_t i = 0; i < design_.nets.size(); ++i) {
            std::vector<NameSource> names = nameSources({GroupRef::Net, i});
            std::vector<NameSource> power;
            std::copy_if(names.begin(), names.end(), std::back_inserter(power),
                         [](const NameSource& source) { return source.power; });
            // A short is reported once, as a short, not also as two names.
            if (power.size() >= 2) {
                checkPowerShort(design_.nets[i], power);
            } else if (names.size() >= 2) {
                std::vector<std::string> all;
                for (const NameSource& source : names)
                    all.emplace_back(source.name);
                add(recordOf(design_, names[1].item), names[1].sheet, names[1].at,
                    FindingKind::TwoNames,
                    "net carries " + std::to_string(names.size()) + " names: " + quotedList(all),
                    sorted(all));
            }
        }
        checkNamesApart();
    }

    // Nets that carry one name and stay apart, with every place of the
    // name on each: the labels and tags, and a net's first power pin.
    void checkNamesApart() {
        struct Place {
            int sheet;
            Point at;
            ItemRef item;
        };
        struct Places {
            std::uint32_t net;
            std::vector<Place> at;
        };
        // Each name's nets, the names numbered as first met; the names on
        // more than one net are then taken in the order of their bytes.
        std::unordered_map<std::string_view, std::uint32_t> numberOf;
        numberOf.reserve(design_.nets.size());
        std::vector<std::string_view> names;
        std::vector<std::vector<Places>> nets;
        for (std::uint32_t i = 0; i < design_.nets.size(); ++i) {
            NamesMet met;
            std::vector<std::vector<Place>> places;
            for (const ItemRef& member : design_.nets[i].members) {
                std::optional<NameSource> source = nameSource(member);
                if (!source)
                    continue;
                auto [number, first] = met.meet(source->name);
                if (first)
                    places.emplace_back();
                if (!source->power || first)
                    places[number].push_back({source->sheet, source->at, member});
            }
            for (std::size_t name = 0; name < places.size(); ++name) {
                auto [at, added] = numberOf.try_emplace(met.names()[name],
                                                        static_cast<std::uint32_t>(names.size()));
                if (added) {
                    names.push_back(at->first);
                    nets.emplace_back();
                }
                nets[at->second].push_back({i, std::move(places[name])});
            }
        }
        std::vector<std::uint32_t> shared;
        for (std::uint32_t number = 0; number < nets.size(); ++number) {
            if (nets[number].size() >= 2)
                shared.push_back(number);
        }
        std::sort(shared.begin(), shared.end(),
                  [&](std::uint32_t a, std::uint32_t b) { return names[a] < names[b]; });
        for (std::uint32_t number : shared) {
            const std::string_view name = names[number];
            const std::vector<Places>& apart = nets[number];
            std::string list;
            std::vector<std::string> subjects = {std::string(name)};
            for (const Places& places : apart) {
                const std::string& key = design_.nets[places.net].key;
                subjects.push_back(key);
                list.append(list.empty() ? "" : ", ").append("net \"").append(key).append("\" (");
                for (const Place& place : places.at) {
                    if (&place != &places.at.front())
                        list += "; ";
                    appendPlace(list, place.sheet, place.at);
                }
                list += ')';
            }
            const Place& second = apart[1].at.front();
            add(recordOf(design_, second.item), second.sheet, second.at,
                FindingKind::NameOnSeparateNets,
                "name " + quoted(name) + " is on " + std::to_string(apart.size()) +
                    " nets that are not joined: " + list,
                std::move(subjects));
        }
    }

    // An end that the bus scan joined lies on a bus; either end may be the
    // one meant for the bus.
    void checkBusEntries() {
        for (std::uint32_t i = 0; i < design_.busEntries.size(); ++i) {
            const BusEntry& entry = design_.busEntries[i];
            if (!entry.joinedAt && !entry.joinedTo && !scanPoints_.holds(entry.sheet, entry.at) &&
                !scanPoints_.holds(entry.sheet, entry.to))
                add(recordOf(design_, {ItemKind::BusEntry, i}), entry.sheet, entry.at,
                    FindingKind::OpenBusEntry, "bus entry touches no bus",
                    {placeText(entry.sheet, entry.at)});
        }
    }

    std::string groupName(GroupRef group) const {
        if (group.kind == GroupRef::BusGroup)
            return "a bus group";
        return quoted(design_.nets[group.index].key);
    }

    // One pin of one reference on two nets: two parts under one reference,
    // or the common pins of a part's blocks wired apart.
    void checkPinNumbers() {
        std::unordered_map<std::string, GroupRef> first;
        first.reserve(design_.pins.size());
        for (const Pin& pin : design_.pins) {
            if (design_.parts[pin.part].ref.empty() || pin.group.kind == GroupRef::None)
                continue;
            std::string key = pinKey(design_, pin);
            auto [found, inserted] = first.try_emplace(key, pin.group);
            if (!inserted && !(found->second == pin.group))
                add(recordOfPin(pin), pin.sheet, pin.end, FindingKind::PinOnTwoNets,
                    "pin " + key + " is on two nets: " + groupName(found->second) + " and " +
                        groupName(pin.group),
                    {key});
        }
    }

    static std::string partLabel(const Part& part) {
        std::string ref = !part.ref.empty() ? part.ref : "without reference";
        return "part " + ref + " " + part.libName;
    }

    static std::vector<std::string> partSubjects(const Part& part) {
        if (part.ref.empty())
            return {part.libName, placeText(part.sheet, part.origin)};
        return {part.ref, part.libName};
    }

    void checkParts() {
        std::unordered_map<std::string_view, const Part*> byReference;
        byReference.reserve(design_.parts.size());
        for (const Part& part : design_.parts) {
            if (!part.found) {
                add(recordOf(part), part.sheet, part.origin, FindingKind::UnknownPart,
                    partLabel(part) + ": no library holds " + quoted(part.libName),
                    partSubjects(part));
            } else if (!part.pinsPlaced) {
                std::vector<std::string> subjects = partSubjects(part);
                subjects.push_back("block " + std::to_string(part.block + 1));
                add(recordOf(part), part.sheet, part.origin, FindingKind::BadBlock,
                    partLabel(part) + ": block " + std::to_string(part.block + 1) +
                        " of a part with " + std::to_string(part.blockCount) +
                        (part.blockCount == 1 ? " block" : " blocks"),
                    std::move(subjects));
            }
            if (part.ref.empty())
                continue;
            auto [found, inserted] = byReference.try_emplace(part.ref, &part);
            if (!inserted && partName(*found->second) != partName(part))
                add(recordOf(part), part.sheet, part.origin, FindingKind::ReferenceOnTwoParts,
                    "reference " + part.ref + " is given to two parts: " +
                        quoted(partName(*found->second)) + " and " + quoted(partName(part)),
                    {part.ref});
        }
        checkFreeBlocks();
    }

    // The blocks of a part of several that no placed part of its reference
    // and library part takes, reported at the part's first block.
    void checkFreeBlocks() {
        struct Placed {
            const Part* first;
            std::vector<bool> blocks; // of the first's library part
        };
        std::vector<Placed> placed; // by reference, in the order first met
        std::unordered_map<std::string_view, std::size_t> numberOf;
        for (const Part& part : design_.parts) {
            if (part.ref.empty() || !part.pinsPlaced || part.blockCount < 2)
                continue;
            auto [found, inserted] = numberOf.try_emplace(part.ref, placed.size());
            if (inserted)
                placed.push_back({&part, std::vector<bool>(part.blockCount)});
            Placed& reference = placed[found->second];
            if (reference.first->libName == part.libName && part.block >= 0 &&
                part.block < static_cast<int>(reference.blocks.size()))
                reference.blocks[part.block] = true;
        }
        for (const auto& [part, blocks] : placed) {
            std::string free;
            for (int block = 0; block < part->blockCount; ++block) {
                if (!blocks[block])
                    free += (free.empty() ? "" : ", ") + part->ref + "(" +
                            std::to_string(block + 1) + "/" + std::to_string(part->blockCount) +
                            ")";
            }
            if (!free.empty())
                add(recordOf(*part), part->sheet, part->origin, FindingKind::UnusedBlocks,
                    partLabel(*part) + ": blocks not placed: " + free, {part->ref});
        }
    }

    const Design& design_;
    ItemPoints points_;
    BusLines buses_;
    BusScanPoints scanPoints_;
    std::vector<int> pinsOfNet_, pinsOfBusGroup_;
    std::vector<Finding> findings_;
};

} // namespace

std::vector<Finding> findingsOf(const Design& design) {
    return Checker(design).findings();
}

void appendPlace(std::string& out, int sheet, Point at) {
    out += "sheet ";
    appendNumber(out, sheet);
    out += " at ";
    appendNumber(out, at.x);
    out += ',';
    appendNumber(out, at.y);
}

const char* findingName(FindingKind kind) {
    return checkType(kind).id;
}

} // namespace dovla::model
