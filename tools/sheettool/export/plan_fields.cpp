#include <algorithm>
#include <unordered_map>

#include "export/kicad_planner.h"
#include "export/kicad_text.h"
#include "export/level_grids.h"

// Where each symbol's reference and value stand: of the places beside its
// body, the one whose texts cover the fewest pins, bodies, texts and lines.
namespace dovla::sheettool::kicad::planning {

namespace {

constexpr std::int64_t textHeight = 12700; // KiCad's 1.27 mm text
constexpr std::int64_t charWidth = 12700;  // a character at most as wide as the text is high
constexpr std::int64_t gap = 6350;         // between a body and its texts
constexpr std::int64_t pinLength = 10 * unitIU;

struct Box {
    std::int64_t left, top, right, bottom;
    bool meets(const Box& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    bool operator==(const Box&) const = default;
};

Box around(KPoint a, KPoint b, std::int64_t room) {
    return {std::min(a.x, b.x) - room, std::min(a.y, b.y) - room, std::max(a.x, b.x) + room,
            std::max(a.y, b.y) + room};
}

std::int64_t textWidth(const std::string& text) {
    return static_cast<std::int64_t>(text.size()) * charWidth;
}

// A text's box, by where it stands and how it is justified, with room
// around it that keeps two texts from reading as one.
Box textBox(const std::string& text, KPoint at, Fields::Justify justify) {
    constexpr std::int64_t room = textHeight / 4;
    auto [left, right] = fieldSpan(text, at, justify);
    return {left - room, at.y - textHeight / 2 - room, right + room, at.y + textHeight / 2 + room};
}

// What a field's text should keep clear of on one sheet, each with how
// much it matters, found by the cells of the grids (LevelGrids, the finest
// of 10 mm) that it covers. A box equal to one of the last few filed
// in its first cell (parts stacked on one place) adds its weight to that
// one: a text meets both or neither, so the costs are the sums they were.
class Crowd {
  public:
    void add(const Box& box, int weight) {
        const int level = Grids::levelOf(box.left, box.top, box.right, box.bottom);
        std::vector<std::uint32_t>& first =
            cells_[Key{level, Grids::cellOf(level, box.left), Grids::cellOf(level, box.top)}];
        const std::size_t recent = std::min<std::size_t>(first.size(), 16);
        for (std::size_t i = first.size() - recent; i < first.size(); ++i)
            if (boxes_[first[i]].first == box) {
                boxes_[first[i]].second += weight;
                return;
            }
        const auto index = static_cast<std::uint32_t>(boxes_.size());
        boxes_.push_back({box, weight});
        seen_.push_back(0);
        levels_ = std::max(levels_, level + 1);
        cells(level, box, [&](Key key) { cells_[key].push_back(index); });
    }

    int cost(const Box& box) {
        ++round_;
        int total = 0;
        for (int level = 0; level < levels_; ++level)
            cells(level, box, [&](Key key) {
                auto found = cells_.find(key);
                if (found == cells_.end())
                    return;
                for (std::uint32_t index : found->second)
                    if (seen_[index] != round_ && boxes_[index].first.meets(box)) {
                        seen_[index] = round_;
                        total += boxes_[index].second;
                    }
            });
        return total;
    }

  private:
    using Grids = LevelGrids<100000>; // 10 mm in the finest grid
    struct Key {
        int level;
        std::int64_t x, y;
        bool operator==(const Key&) const = default;
    };
    struct Hash {
        std::size_t operator()(const Key& key) const {
            return std::hash<std::int64_t>()((key.x * 1000003 + key.y) * 8 + key.level);
        }
    };
    template <typename Visit> static void cells(int level, const Box& box, Visit visit) {
        Grids::forEachCell(level, box.left, box.top, box.right, box.bottom,
                           [&](std::int64_t x, std::int64_t y) {
                               visit(Key{level, x, y});
                           });
    }

    std::vector<std::pair<Box, int>> boxes_;
    std::vector<unsigned> seen_;
    unsigned round_ = 0;
    int levels_ = 0;
    std::unordered_map<Key, std::vector<std::uint32_t>, Hash> cells_;
};

enum Weight { lineWeight = 1, textWeight = 3, partWeight = 4 };

KPoint moved(KPoint at, KPoint by) {
    return {at.x + by.x, at.y + by.y};
}

// A power symbol's name stands beyond its sign's far end, clear of its pin.
Fields powerFields(const PlacedSymbol& placed) {
    struct Beyond {
        std::int64_t dx, dy;
        Fields::Justify justify;
    };
    const Beyond beyond[4] = {{0, -38100, Fields::Centre},
                              {-31750, 0, Fields::Right},
                              {0, 38100, Fields::Centre},
                              {31750, 0, Fields::Left}};
    const Beyond& b = beyond[(placed.angle / 90) % 4];
    return {moved(placed.anchor, {b.dx, 0}), moved(placed.anchor, {b.dx, b.dy}), b.justify};
}

// The places tried for a body's fields, best first: above and below it;
// beside it, to the right and to the left; both above; both below; at
// opposite corners; above and below beyond the pins' ends.
std::vector<Fields> choices(const Box& body, const std::string& ref, const std::string& value) {
    std::int64_t cx = (body.left + body.right) / 2, cy = (body.top + body.bottom) / 2;
    std::int64_t above = body.top - gap - textHeight / 2;
    std::int64_t below = body.bottom + gap + textHeight / 2;
    std::int64_t step = 2 * textHeight; // a line apart, as KiCad stacks them
    std::int64_t right = body.right + gap, left = body.left - gap;
    auto pair = [](KPoint r, KPoint v) { return Fields{r, v, Fields::Centre}; };
    return {pair({cx, above}, {cx, below}),
            pair({right + textWidth(ref) / 2, cy - step / 2},
                 {right + textWidth(value) / 2, cy + step / 2}),
            pair({left - textWidth(ref) / 2, cy - step / 2},
                 {left - textWidth(value) / 2, cy + step / 2}),
            pair({cx, above - step}, {cx, above}),
            pair({cx, below}, {cx, below + step}),
            pair({left - textWidth(ref) / 2, above}, {right + textWidth(value) / 2, below}),
            pair({cx, above - pinLength}, {cx, below + pinLength})};
}

} // namespace

void Planner::fields() {
    auto shiftOf = [&](const PlacedSymbol& placed) {
        auto found = shift_.find(static_cast<std::uint32_t>(placed.part));
        return found != shift_.end() ? found->second : KPoint{};
    };
    // The body a placed part draws, where the plan places it.
    auto bodyOf = [&](const PlacedSymbol& placed) -> Box {
        if (plan_.symbols[placed.symbol].kind == SymbolUse::Box)
            return {placed.anchor.x - 40 * unitIU, placed.anchor.y - 20 * unitIU, placed.anchor.x,
                    placed.anchor.y};
        const model::Part& part = design_.parts[placed.part];
        KPoint low = moved(kpoint(part.bodyMin), shiftOf(placed));
        KPoint high = moved(kpoint(part.bodyMax), shiftOf(placed));
        return {low.x, low.y, high.x, high.y};
    };
    auto isPower = [&](const PlacedSymbol& placed) {
        SymbolUse::Kind kind = plan_.symbols[placed.symbol].kind;
        return kind == SymbolUse::PowerConnector || kind == SymbolUse::PowerFlag;
    };
    // What the fields of one sheet keep clear of: bodies, pins, power
    // symbols, lines and labels.
    auto crowdOn = [&](int sheet) {
        Crowd crowd;
        for (const PlacedSymbol& placed : plan_.placed) {
            if (placed.sheet != sheet)
                continue;
            if (isPower(placed)) {
                Fields power = powerFields(placed);
                crowd.add(around(placed.anchor, power.value, textHeight), textWeight);
                crowd.add(textBox(placed.value, power.value, power.justify), textWeight);
                continue;
            }
            crowd.add(bodyOf(placed), partWeight);
            SymbolUse::Kind kind = plan_.symbols[placed.symbol].kind;
            if (kind != SymbolUse::Library && kind != SymbolUse::PowerPart)
                continue;
            KPoint by = shiftOf(placed);
            for (std::uint32_t index : design_.parts[placed.part].pins) {
                const model::Pin& pin = design_.pins[index];
                crowd.add(
                    around(moved(kpoint(pin.root), by), moved(kpoint(pin.end), by), textHeight),
                    partWeight);
            }
        }
        for (const DrawnLine& line : plan_.lines)
            if (line.sheet == sheet)
                crowd.add(around(line.from, line.to, textHeight / 4), lineWeight);
        for (const DrawnEntry& entry : plan_.entries)
            if (entry.sheet == sheet)
                crowd.add(around(entry.at, entry.to, textHeight / 4), lineWeight);
        for (const DrawnLabel& label : plan_.labels) {
            if (label.sheet != sheet)
                continue;
            KPoint end = label.at;
            std::int64_t length = textWidth(label.text) + textHeight;
            (label.angle % 180 == 0 ? end.x : end.y) +=
                label.angle == 0 || label.angle == 270 ? length : -length;
            crowd.add(around(label.at, end, textHeight), textWeight);
        }
        return crowd;
    };
    std::set<int> sheets;
    for (const PlacedSymbol& placed : plan_.placed)
        sheets.insert(placed.sheet);
    for (int sheet : sheets) {
        Crowd crowd = crowdOn(sheet);
        for (PlacedSymbol& placed : plan_.placed) {
            if (placed.sheet != sheet)
                continue;
            if (isPower(placed)) {
                placed.fields = powerFields(placed);
                continue;
            }
            bool showsRef = placed.ref[0] != '#';
            int best = -1;
            for (const Fields& choice : choices(bodyOf(placed), placed.ref, placed.value)) {
                int cost = crowd.cost(textBox(placed.value, choice.value, Fields::Centre));
                if (showsRef)
                    cost += crowd.cost(textBox(placed.ref, choice.ref, Fields::Centre));
                if (best < 0 || cost < best) {
                    best = cost;
                    placed.fields = choice;
                }
            }
            crowd.add(textBox(placed.value, placed.fields.value, Fields::Centre), textWeight);
            if (showsRef)
                crowd.add(textBox(placed.ref, placed.fields.ref, Fields::Centre), textWeight);
        }
    }
}

} // namespace dovla::sheettool::kicad::planning
