#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "design.h"
#include "export/kicad_plan.h"
#include "export/power_parts.h"
#include "export/slant_index.h"

// The planner of an exported KiCad project: one object that holds what the
// stages learn, each stage in a file of its own (plan_*.cpp), run in the
// order of Planner::run. Only the planner's own files include this.
namespace dovla::sheettool::kicad::planning {

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
    enum Kind : std::uint8_t { WireEnd, BusEnd, PinEnd, LabelAt, JunctionAt, EntryEnd };
    Kind kind;
    int owner;
    std::uint32_t index; // a line, pin, label or junction of the plan
    std::uint8_t end;    // of a line: 0 from, 1 to
    bool gone = false;   // the end was drawn short of the point
};

using Place = std::tuple<int, std::int32_t, std::int32_t>; // sheet, x, y in units

// The touches at one point. Who owns a point is asked for every label,
// junction and tag on it, and thousands of them may lie on one point: where
// many touches lie, the point keeps for each owner how many of its touches
// are not drawn short, sorted by owner; where few lie, they are read again.
class PointTouches {
  public:
    void add(const Touch& touch) {
        list_.push_back(touch);
        if (live_ != nullptr)
            count(touch.owner);
        else if (list_.size() > few)
            countAll();
    }
    // The touch, one of this point's, drawn short of the point.
    void drop(Touch& touch) {
        if (std::exchange(touch.gone, true))
            return;
        if (live_ == nullptr)
            return;
        auto at = find(touch.owner);
        if (--at->second == 0)
            live_->erase(at);
    }
    std::vector<Touch>& list() { return list_; }
    const std::vector<Touch>& list() const { return list_; }
    // The owners of the touches not gone, each once, in ascending order.
    template <typename Visit> void forEachOwner(Visit visit) const {
        if (live_ != nullptr) {
            for (const auto& [owner, count] : *live_)
                visit(owner);
            return;
        }
        // At most `few` touches: sorted as they come.
        int owners[few];
        std::size_t count = 0;
        for (const Touch& touch : list_) {
            if (touch.gone)
                continue;
            std::size_t at = count++;
            for (; at > 0 && owners[at - 1] > touch.owner; --at)
                owners[at] = owners[at - 1];
            owners[at] = touch.owner;
        }
        for (std::size_t i = 0; i < count; ++i)
            if (i == 0 || owners[i] != owners[i - 1])
                visit(owners[i]);
    }

  private:
    static constexpr std::size_t few = 8;
    using Counts = std::vector<std::pair<int, std::uint32_t>>; // owner, touches not gone

    Counts::iterator find(int owner) {
        return std::lower_bound(
            live_->begin(), live_->end(), owner,
            [](const std::pair<int, std::uint32_t>& entry, int o) { return entry.first < o; });
    }
    void count(int owner) {
        auto at = find(owner);
        if (at == live_->end() || at->first != owner)
            at = live_->insert(at, {owner, 0});
        ++at->second;
    }
    void countAll() {
        live_ = std::make_unique<Counts>();
        for (const Touch& touch : list_)
            if (!touch.gone)
                count(touch.owner);
    }

    std::vector<Touch> list_;
    std::unique_ptr<Counts> live_;
};

struct Segment {
    int owner;
    std::uint32_t line;
    Point from, to;
};

inline std::string where(int sheet, Point at) {
    return std::to_string(sheet) + ":" + std::to_string(at.x) + "," + std::to_string(at.y);
}

// The suffixed forms of a name ("TX_2", "TX_3", ...), tried in that order.
// Names are only ever taken, never given back, so every suffix below the
// one that served a base last is still taken: its next try starts there,
// and a name that thousands of nets share costs one try each, not all the
// tries before it.
class Suffixes {
  public:
    template <typename Taken> std::string firstFree(const std::string& base, Taken taken) {
        int& n = next_.try_emplace(base, 2).first->second;
        std::string name = base + "_" + std::to_string(n);
        while (taken(name))
            name = base + "_" + std::to_string(++n);
        return name;
    }

  private:
    std::map<std::string, int> next_;
};

// Names given out once each: a name as it is while it is free, else its
// first free suffixed form; an empty name is "N".
class UniqueNames {
  public:
    UniqueNames() = default;
    template <typename Names>
    explicit UniqueNames(const Names& names) : taken_(names.begin(), names.end()) {}
    std::string claim(const std::string& base) {
        std::string name = base.empty() ? "N" : base;
        if (!taken_.insert(name).second) {
            name = suffixes_.firstFree(name, [&](const std::string& s) { return taken_.count(s); });
            taken_.insert(name);
        }
        return name;
    }

  private:
    std::set<std::string> taken_;
    Suffixes suffixes_;
};

class Planner {
  public:
    explicit Planner(const Design& design) : design_(design) {}
    Plan run();

  private:
    // who owns what (plan_owners.cpp)
    void sheets();
    void owners();
    int ownerOf(GroupRef group);
    bool isPowerPart(const model::Part& part) const { return kicad::isPowerPart(design_, part); }

    // names (plan_owners.cpp)
    void names();
    std::string textFor(const std::string& name, int net) const;
    void keepApart(const std::string& name, GroupRef group);

    // wires and buses (plan_lines.cpp)
    void lines();
    void unmergeOverlaps();

    // parts, power symbols and flags (plan_symbols.cpp)
    int use(SymbolUse::Kind kind, int symbol, const std::string& libName,
            const std::string& powerName = "");
    void symbols();
    void place(const model::Part& part, PlacedSymbol& placed);
    void powerFlags();
    int freeAngle(int sheet, KPoint at, int taken) const;

    // where references and values stand (plan_fields.cpp)
    void fields();
    static int connectorAngle(const model::Pin& pin);

    // the index of lines by the points they pass (plan_line_index.cpp)
    void segmentIndex();
    void add(Place place, Touch touch) { touches_[place].add(touch); }
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
            slantIndex_.forEachAround(sheet, at, [&](std::uint32_t number) {
                const Segment& s = slants->second[number];
                std::int64_t cross = std::int64_t{s.to.x - s.from.x} * (at.y - s.from.y) -
                                     std::int64_t{s.to.y - s.from.y} * (at.x - s.from.x);
                if (cross == 0 && inside(s.from.x, s.to.x, at.x) && inside(s.from.y, s.to.y, at.y))
                    visit(s);
            });
    }
    std::set<int> ownersAt(int sheet, Point at) const;
    bool onlyNet(int sheet, Point at, int net) const;

    // junctions, labels, tags (plan_labels.cpp)
    void junctions();
    void labels();
    void addLabelTouch(const DrawnLabel& drawn, int net, Point at);
    void tags();

    // ends of different nets at one point (plan_ends.cpp)
    void wireEnds();
    void separatePins(const std::vector<Touch>& list);
    void movePart(std::uint32_t part, int steps);
    KPoint pinPoint(const model::Pin& pin) const;
    static int pickKeeper(const std::vector<Touch>& list);
    void shorten(PointTouches& at, Touch& touch);

    // bus entries (plan_entries.cpp)
    void entries();

    // pieces of one net that KiCad sees apart (plan_pieces.cpp)
    struct Pieces {
        std::vector<std::uint32_t> parent;
        std::uint32_t find(std::uint32_t a) {
            while (parent[a] != a)
                a = parent[a] = parent[parent[a]];
            return a;
        }
        void join(std::uint32_t a, std::uint32_t b) { parent[find(a)] = find(b); }
    };
    void joinPieces();
    static bool namesJoin(const std::map<std::uint32_t, std::uint32_t>& held,
                          std::map<std::uint32_t, std::set<std::string>>& piecesNames);
    void addNames(int net, const std::map<std::uint32_t, std::uint32_t>& held,
                  std::map<std::uint32_t, std::set<std::string>>& piecesNames);
    bool slantThrough(int sheet, KPoint at) const;
    KPoint stubEnd(int sheet, KPoint from) const;

    const Design& design_;
    Plan plan_;
    int nextLoose_ = 0;
    int addedPower_ = 0;
    int powerParts_ = 0;
    UniqueNames symbolNames_;
    std::map<std::tuple<int, int, std::string>, int> uses_;
    std::vector<int> pinOwner_;
    std::vector<int> lineOwner_;
    std::vector<std::pair<Point, Point>> lineSource_;
    std::map<std::string, std::set<int>> claims_;
    Suffixes claimSuffixes_;
    std::set<int> renamed_;                    // nets named anew to keep a name apart
    std::map<std::string, int> keepers_;       // the net that keeps a name several carry
    std::map<std::uint32_t, KPoint> shift_;    // parts moved, by how far
    std::set<std::pair<int, KPoint>> offGrid_; // the pins moved and the stubs' ends
    std::map<std::uint32_t, std::vector<std::uint32_t>> piecesLabels_; // local labels by piece
    std::map<Place, PointTouches> touches_;
    std::map<std::pair<int, std::int32_t>, std::vector<Segment>> rows_;
    std::map<std::pair<int, std::int32_t>, std::vector<Segment>> columns_;
    std::map<int, std::vector<Segment>> slants_;
    SlantIndex slantIndex_; // the lines of slants_, by the points they may pass
};

} // namespace dovla::sheettool::kicad::planning
