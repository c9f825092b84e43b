#include "view_geometry.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <iterator>
#include <tuple>

namespace dovla::sheettool::view {

namespace {

// A label's text runs to the right of its point; this much per character
// is enough to keep it inside the extent.
constexpr std::int64_t labelCharWidth = 8;

class Extent {
  public:
    void add(std::int64_t x, std::int64_t y) {
        if (empty_) {
            box_ = {x, y, x, y};
            empty_ = false;
            return;
        }
        box_.minX = std::min(box_.minX, x);
        box_.minY = std::min(box_.minY, y);
        box_.maxX = std::max(box_.maxX, x);
        box_.maxY = std::max(box_.maxY, y);
    }
    void add(model::Point point) { add(point.x, point.y); }
    void add(const Box& box) {
        add(box.minX, box.minY);
        add(box.maxX, box.maxY);
    }
    bool empty() const { return empty_; }
    const Box& box() const { return box_; }

  private:
    Box box_;
    bool empty_ = true;
};

int slotOf(int sheet) {
    return sheet >= 0 && sheet < sheetSlots ? sheet : 0;
}

} // namespace

std::vector<DrawnSheet> drawnSheets(const model::Design& design) {
    std::vector<Extent> extents(sheetSlots);
    for (const model::ItemRef& item : design.items)
        model::forEachEnd(design, item,
                          [&](int sheet, model::Point at) { extents[slotOf(sheet)].add(at); });
    for (const model::Label& label : design.labels)
        extents[slotOf(label.sheet)].add(
            label.at.x + labelCharWidth * static_cast<std::int64_t>(label.name.size()), label.at.y);
    for (const model::Tag& tag : design.tags) {
        extents[slotOf(tag.sheet)].add(tag.from.x, std::int64_t{tag.from.y} - tagHalfHeight);
        extents[slotOf(tag.sheet)].add(tag.to.x, std::int64_t{tag.to.y} + tagHalfHeight);
    }
    for (const model::Part& part : design.parts)
        extents[slotOf(part.sheet)].add(bodyOf(part));

    std::vector<DrawnSheet> sheets;
    if (!extents[0].empty())
        sheets.push_back({0, extents[0].box(), extents[0].box()});
    for (const model::Sheet& sheet : design.sheets) {
        Box paper{0, 0, sheet.width, sheet.height};
        const Extent& extent = extents[slotOf(sheet.number)];
        sheets.push_back({sheet.number, paper, extent.empty() ? paper : extent.box()});
    }
    return sheets;
}

std::vector<std::int64_t> tagOutline(const model::Tag& tag, std::int32_t half) {
    std::int64_t left = std::min(tag.from.x, tag.to.x);
    std::int64_t right = std::max(tag.from.x, tag.to.x);
    std::int64_t y = tag.from.y;
    // The points reach in by half the height, or by half the length of a
    // tag too short for that.
    std::int64_t in = std::min<std::int64_t>(half, (right - left) / 2);
    std::int64_t top = y - half;
    std::int64_t bottom = y + half;
    return {left,  y, left + in,  top,    right - in, top,
            right, y, right - in, bottom, left + in,  bottom};
}

std::vector<std::int32_t> tagHalfHeights(const model::Design& design) {
    std::vector<std::int32_t> half(design.tags.size(), tagHalfHeight);
    // The tags by sheet and height: each looks at those just above it, as
    // far as a full height reaches (and no further than a few dozen, for a
    // damaged file's heap of tags on one line).
    std::vector<std::uint32_t> order(design.tags.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    auto place = [&](std::uint32_t i) {
        return std::pair(design.tags[i].sheet, design.tags[i].from.y);
    };
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return place(a) < place(b); });
    auto span = [&](const model::Tag& tag) {
        return std::pair(std::min(tag.from.x, tag.to.x), std::max(tag.from.x, tag.to.x));
    };
    constexpr std::size_t lookBack = 32;
    constexpr std::int64_t gap = 2;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const model::Tag& tag = design.tags[order[k]];
        for (std::size_t j = k; j-- > 0 && k - j <= lookBack;) {
            const model::Tag& above = design.tags[order[j]];
            const std::int64_t apart = std::int64_t{tag.from.y} - above.from.y;
            if (above.sheet != tag.sheet || apart >= 2 * tagHalfHeight + gap)
                break;
            auto [left, right] = span(tag);
            auto [aboveLeft, aboveRight] = span(above);
            if (right < aboveLeft || aboveRight < left)
                continue;
            auto fit = static_cast<std::int32_t>(std::max<std::int64_t>(1, (apart - gap) / 2));
            half[order[k]] = std::min(half[order[k]], fit);
            half[order[j]] = std::min(half[order[j]], fit);
        }
    }
    return half;
}

model::Point pinNumberAt(const model::Pin& pin, bool across) {
    std::int32_t midX = pin.root.x + (pin.end.x - pin.root.x) / 2;
    std::int32_t midY = pin.root.y + (pin.end.y - pin.root.y) / 2;
    if (pin.root.y == pin.end.y)
        return {midX, across ? midY + 9 : midY - 3};
    return {across ? midX + 7 : midX - 7, midY + 3};
}

namespace {

// The width of a pin's number in characters, as its text has them.
std::int64_t pinNumberWidth(const model::Pin& pin) {
    char digits[16];
    return (pin.letter != 0 ? 1 : 0) +
           (std::to_chars(digits, digits + sizeof digits, pin.number).ptr - digits);
}

} // namespace

std::string pinNumberText(const model::Pin& pin) {
    std::string text = pin.letter != 0 ? std::string(1, pin.letter) : std::string();
    return text + std::to_string(pin.number);
}

std::vector<model::Point> pinNumberPlaces(const model::Design& design) {
    // Numbers are some 4 units a digit wide and 7 high, centred on their x.
    // A number goes across its pin when it would overlap one placed before
    // it in its cell or the cells around. The cells a number can take are
    // known beforehand (each pin has two places), so they are numbered once
    // by sorting; a cell keeps each place and width once, so that a heap of
    // parts on one place costs no more than one part.
    constexpr std::int64_t size = 32;
    // A cell as one number that sorts as (sheet, column, row) would: a
    // column or row of a 32-bit coordinate, moved up by half the room of
    // its 28 bits, takes no sign; the sheet takes the top 8.
    constexpr std::int64_t lift = std::int64_t{1} << 27;
    auto cellOf = [](int sheet, std::int64_t x, std::int64_t y) {
        auto of = [](std::int64_t v) { return v >= 0 ? v / size : -((-v + size - 1) / size); };
        return static_cast<std::uint64_t>(sheet) << 56 |
               static_cast<std::uint64_t>(of(x) + lift) << 28 |
               static_cast<std::uint64_t>(of(y) + lift);
    };
    constexpr std::uint64_t column = std::uint64_t{1} << 28;
    std::vector<std::uint64_t> cells;
    cells.reserve(2 * design.pins.size());
    for (const model::Pin& pin : design.pins) {
        for (bool across : {false, true}) {
            model::Point at = pinNumberAt(pin, across);
            cells.push_back(cellOf(pin.sheet, at.x, at.y));
        }
    }
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    auto numberOf = [&](std::uint64_t cell) {
        return std::lower_bound(cells.begin(), cells.end(), cell) - cells.begin();
    };
    struct Placed {
        std::int64_t x, y, halfWidth;
        bool operator==(const Placed&) const = default;
    };
    std::vector<std::vector<Placed>> placed(cells.size());
    auto overlaps = [&](int sheet, const Placed& p) {
        const std::uint64_t middle = cellOf(sheet, p.x, p.y);
        for (std::uint64_t left = middle - column - 1; left <= middle + column - 1;
             left += column) {
            // The three cells of a column around lie side by side in order.
            for (auto cell = std::lower_bound(cells.begin(), cells.end(), left);
                 cell != cells.end() && *cell <= left + 2; ++cell) {
                for (const Placed& q : placed[cell - cells.begin()]) {
                    if (std::llabs(p.x - q.x) < p.halfWidth + q.halfWidth &&
                        std::llabs(p.y - q.y) < 7)
                        return true;
                }
            }
        }
        return false;
    };
    std::vector<model::Point> places;
    places.reserve(design.pins.size());
    for (const model::Pin& pin : design.pins) {
        const std::int64_t halfWidth = 2 * pinNumberWidth(pin);
        model::Point at = pinNumberAt(pin);
        if (overlaps(pin.sheet, {at.x, at.y, halfWidth}))
            at = pinNumberAt(pin, true);
        std::vector<Placed>& cell = placed[numberOf(cellOf(pin.sheet, at.x, at.y))];
        const Placed number{at.x, at.y, halfWidth};
        if (std::find(cell.begin(), cell.end(), number) == cell.end())
            cell.push_back(number);
        places.push_back(at);
    }
    return places;
}

namespace {

// The net of what ends at each point of each sheet: the first such item
// in the design's order. The ends are sorted once, stably, and looked up
// by halving.
class NetsAt {
  public:
    explicit NetsAt(const model::Design& design) {
        for (const model::ItemRef& item : design.items) {
            model::GroupRef group = model::groupOf(design, item);
            if (group.kind != model::GroupRef::Net)
                continue;
            model::forEachEnd(design, item, [&](int sheet, model::Point at) {
                ends_.push_back({sheet, at.x, at.y, group.index});
            });
        }
        std::stable_sort(ends_.begin(), ends_.end(), before);
    }
    std::int64_t at(int sheet, model::Point point) const {
        End wanted{sheet, point.x, point.y, 0};
        auto found = std::lower_bound(ends_.begin(), ends_.end(), wanted, before);
        return found != ends_.end() && !before(wanted, *found) ? std::int64_t{found->net} : -1;
    }

  private:
    struct End {
        int sheet;
        std::int32_t x, y;
        std::uint32_t net;
    };
    static bool before(const End& a, const End& b) {
        return std::tie(a.sheet, a.x, a.y) < std::tie(b.sheet, b.x, b.y);
    }
    std::vector<End> ends_;
};

} // namespace

EndNets endNets(const model::Design& design) {
    NetsAt nets(design);
    EndNets result;
    result.junctions.reserve(design.junctions.size());
    for (const model::Junction& junction : design.junctions)
        result.junctions.push_back(nets.at(junction.sheet, junction.at));
    result.entries.reserve(design.busEntries.size());
    for (const model::BusEntry& entry : design.busEntries) {
        std::int64_t net = entry.group.kind == model::GroupRef::Net
                               ? std::int64_t{entry.group.index}
                               : nets.at(entry.sheet, entry.to);
        result.entries.push_back(net >= 0 ? net : nets.at(entry.sheet, entry.at));
    }
    return result;
}

Box bodyOf(const model::Part& part) {
    if (!part.found)
        return {std::int64_t{part.origin.x} - unknownBodySide,
                std::int64_t{part.origin.y} - unknownBodySide, part.origin.x, part.origin.y};
    return {part.bodyMin.x, part.bodyMin.y, part.bodyMax.x, part.bodyMax.y};
}

} // namespace dovla::sheettool::view
