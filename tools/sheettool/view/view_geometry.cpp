#include "view_geometry.h"

#include <algorithm>
#include <iterator>

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

std::vector<std::int64_t> tagOutline(const model::Tag& tag) {
    std::int64_t left = std::min(tag.from.x, tag.to.x);
    std::int64_t right = std::max(tag.from.x, tag.to.x);
    std::int64_t y = tag.from.y;
    // The points reach in by half the height, or by half the length of a
    // tag too short for that.
    std::int64_t in = std::min<std::int64_t>(tagHalfHeight, (right - left) / 2);
    std::int64_t top = y - tagHalfHeight;
    std::int64_t bottom = y + tagHalfHeight;
    return {left,  y, left + in,  top,    right - in, top,
            right, y, right - in, bottom, left + in,  bottom};
}

model::Point pinNumberAt(const model::Pin& pin) {
    std::int32_t midX = pin.root.x + (pin.end.x - pin.root.x) / 2;
    std::int32_t midY = pin.root.y + (pin.end.y - pin.root.y) / 2;
    if (pin.root.y == pin.end.y)
        return {midX, midY - 3};
    return {midX - 7, midY + 3};
}

Box bodyOf(const model::Part& part) {
    if (!part.found)
        return {std::int64_t{part.origin.x} - unknownBodySide,
                std::int64_t{part.origin.y} - unknownBodySide, part.origin.x, part.origin.y};
    return {part.bodyMin.x, part.bodyMin.y, part.bodyMax.x, part.bodyMax.y};
}

std::string netColor(const std::string& key) {
    // Twelve colours told apart at a glance on the paper, dark enough for
    // thin lines; none pink or grey.
    static constexpr const char* palette[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e",
                                              "#9467bd", "#8c564b", "#17becf", "#a8a820",
                                              "#393b79", "#637939", "#843c39", "#0b8f6f"};
    std::uint32_t hash = 2166136261u;
    for (unsigned char byte : key)
        hash = (hash ^ byte) * 16777619u;
    return palette[hash % std::size(palette)];
}

} // namespace dovla::sheettool::view
