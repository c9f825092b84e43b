#include "export/kicad_page.h"

#include <algorithm>
#include <limits>

#include "export/kicad_text.h"

namespace dovla::sheettool::kicad {

namespace {

constexpr std::int64_t mmIU = 10000;
constexpr std::int64_t inch = 254000;
// Inside KiCad's frame (10 mm from the paper's edge, with its ruler), and
// above its title block, which fills the bottom right corner.
constexpr std::int64_t margin = 15 * mmIU;
constexpr std::int64_t titleBlock = 40 * mmIU;
// Room beyond a point for the text that stands there, and around a part's
// body for its reference and value.
constexpr std::int64_t textRoom = 5 * mmIU;

struct Box {
    std::int64_t left = std::numeric_limits<std::int64_t>::max();
    std::int64_t top = std::numeric_limits<std::int64_t>::max();
    std::int64_t right = std::numeric_limits<std::int64_t>::min();
    std::int64_t bottom = std::numeric_limits<std::int64_t>::min();

    bool empty() const { return left > right; }
    void add(KPoint at, std::int64_t room = 0) {
        left = std::min(left, at.x - room);
        top = std::min(top, at.y - room);
        right = std::max(right, at.x + room);
        bottom = std::max(bottom, at.y + room);
    }
};

// A label's text runs from its point along its angle, about 1.27 mm a
// character.
void addLabel(Box& box, const DrawnLabel& label) {
    std::int64_t length = static_cast<std::int64_t>(label.text.size()) * 12700 + 2 * 12700;
    KPoint end = label.at;
    switch (label.angle) {
    case 90:
        end.y -= length;
        break;
    case 180:
        end.x -= length;
        break;
    case 270:
        end.y += length;
        break;
    default:
        end.x += length;
        break;
    }
    box.add(label.at, 2 * 12700);
    box.add(end, 2 * 12700);
}

// A field's text reads across from its point, as it is justified.
void addField(Box& box, const std::string& text, KPoint at, Fields::Justify justify) {
    auto [left, right] = fieldSpan(text, at, justify);
    box.add({left, at.y}, 12700);
    box.add({right, at.y}, 12700);
}

struct Paper {
    const char* name;
    std::int64_t width, height; // landscape, in internal units
};

const Paper papers[] = {{"A4", 297 * mmIU, 210 * mmIU},
                        {"A3", 420 * mmIU, 297 * mmIU},
                        {"A2", 594 * mmIU, 420 * mmIU},
                        {"A1", 841 * mmIU, 594 * mmIU},
                        {"A0", 1189 * mmIU, 841 * mmIU}};

// The paper for a drawing of this width and height placed at the margin:
// the first size that holds it, landscape or else portrait.
std::string paperFor(std::int64_t width, std::int64_t height) {
    std::int64_t needWidth = width + 2 * margin;
    std::int64_t needHeight = height + 2 * margin + titleBlock;
    for (const Paper& paper : papers) {
        if (needWidth <= paper.width && needHeight <= paper.height)
            return std::string("(paper \"") + paper.name + "\")";
        if (needWidth <= paper.height && needHeight <= paper.width)
            return std::string("(paper \"") + paper.name + "\" portrait)";
    }
    auto roundUp = [](std::int64_t length) { return (length + mmIU - 1) / mmIU * mmIU; };
    return "(paper \"User\" " + mm(roundUp(needWidth)) + " " + mm(roundUp(needHeight)) + ")";
}

// The least multiple of the step not below the value.
std::int64_t ceilTo(std::int64_t value, std::int64_t step) {
    return value >= 0 ? (value + step - 1) / step * step : -(-value / step * step);
}

} // namespace

void placeOnPages(const model::Design& design, Plan& plan) {
    std::map<int, Box> boxes;
    for (const DrawnLine& line : plan.lines) {
        boxes[line.sheet].add(line.from);
        boxes[line.sheet].add(line.to);
    }
    for (const DrawnEntry& entry : plan.entries) {
        boxes[entry.sheet].add(entry.at);
        boxes[entry.sheet].add(entry.to);
    }
    for (std::size_t i = 0; i < plan.junctionPoints.size(); ++i)
        boxes[plan.junctionSheets[i]].add(plan.junctionPoints[i]);
    for (const DrawnLabel& label : plan.labels)
        addLabel(boxes[label.sheet], label);
    for (const PlacedSymbol& placed : plan.placed) {
        Box& box = boxes[placed.sheet];
        box.add(placed.anchor, textRoom);
        if (placed.ref[0] != '#')
            addField(box, placed.ref, placed.fields.ref, placed.fields.justify);
        addField(box, placed.value, placed.fields.value, placed.fields.justify);
        if (placed.part < 0)
            continue;
        const model::Part& part = design.parts[placed.part];
        box.add(kpoint(part.bodyMin), textRoom);
        box.add(kpoint(part.bodyMax), textRoom);
        for (std::uint32_t pin : part.pins)
            box.add(kpoint(design.pins[pin].end));
    }
    for (int sheet : plan.sheets) {
        Page& page = plan.pages[sheet];
        const Box& box = boxes[sheet];
        if (box.empty()) {
            page.paper = "(paper \"A4\")";
            continue;
        }
        page.offset = {ceilTo(margin - box.left, inch), ceilTo(margin - box.top, inch)};
        page.paper =
            paperFor(box.right + page.offset.x - margin, box.bottom + page.offset.y - margin);
    }
    auto move = [&](int sheet, KPoint& at) {
        const KPoint& by = plan.pages[sheet].offset;
        at = {at.x + by.x, at.y + by.y};
    };
    for (DrawnLine& line : plan.lines) {
        move(line.sheet, line.from);
        move(line.sheet, line.to);
    }
    for (DrawnEntry& entry : plan.entries) {
        move(entry.sheet, entry.at);
        move(entry.sheet, entry.to);
    }
    for (std::size_t i = 0; i < plan.junctionPoints.size(); ++i)
        move(plan.junctionSheets[i], plan.junctionPoints[i]);
    for (DrawnLabel& label : plan.labels)
        move(label.sheet, label.at);
    for (PlacedSymbol& placed : plan.placed) {
        move(placed.sheet, placed.anchor);
        move(placed.sheet, placed.fields.ref);
        move(placed.sheet, placed.fields.value);
    }
}

} // namespace dovla::sheettool::kicad
