#include "export/pin_names.h"

#include <algorithm>

#include "export/kicad_text.h"

namespace dovla::sheettool::kicad {

namespace {

using Side = model::SymbolPin::Side;

constexpr std::int64_t fullSize = 12700;
constexpr std::int64_t smallest = 5000;   // below half a millimetre a name is not read
constexpr std::int64_t step = 500;        // sizes in twentieths of a millimetre
constexpr std::int64_t nameOffset = 5080; // KiCad's gap between a body's edge and a name
constexpr std::int64_t apart = 2540;      // left between two names

// A name's box in the body's frame: x to the right from the body's right
// edge, y down from its bottom edge (both edges at 0).
struct NameBox {
    std::int64_t left, top, right, bottom;
    bool meets(const NameBox& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
};

bool across(Side side) {
    return side == Side::Left || side == Side::Right;
}

std::int64_t characters(const std::string& text) {
    return std::count_if(text.begin(), text.end(),
                         [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

struct Name {
    Side side;
    std::int64_t centre; // across the pin's line
    std::int64_t start;  // where the name begins, from the edge its pin is on
    std::int64_t length; // characters
    std::int64_t size;
    // How far a name runs into the body, from the edge its pin is on.
    std::int64_t reach() const { return start + length * size; }
    NameBox box(std::int64_t width, std::int64_t height) const {
        std::int64_t half = size / 2;
        switch (side) {
        case Side::Left:
            return {-width + start, centre - half, -width + reach(), centre + half};
        case Side::Right:
            return {-reach(), centre - half, -start, centre + half};
        case Side::Top:
            return {centre - half, -height + start, centre + half, -height + reach()};
        default:
            return {centre - half, -reach(), centre + half, -start};
        }
    }
};

// The size that lets a name reach no further than `room` into the body.
std::int64_t sizeFor(const Name& name, std::int64_t room) {
    return name.length == 0 ? name.size : (room - name.start) / name.length;
}

} // namespace

std::vector<std::int64_t> pinNameSizes(const model::Symbol& symbol,
                                       const std::vector<std::string>& names) {
    std::int64_t width = 10 * symbol.width * unitIU, height = 10 * symbol.height * unitIU;
    std::vector<Name> drawn;
    for (std::size_t i = 0; i < symbol.pins.size(); ++i) {
        const model::SymbolPin& pin = symbol.pins[i];
        std::int64_t offset = 10 * pin.offset * unitIU;
        std::int64_t length = names[i] == "~" ? 0 : characters(names[i]);
        drawn.push_back(
            {pin.side, offset - (across(pin.side) ? height : width), nameOffset, length, fullSize});
    }
    // Shrinking a name only ever makes its box smaller, so a pair once
    // apart stays apart: one pass over the pairs does.
    for (std::size_t i = 0; i < drawn.size(); ++i)
        for (std::size_t j = i + 1; j < drawn.size(); ++j) {
            Name& a = drawn[i];
            Name& b = drawn[j];
            if (a.length == 0 || b.length == 0 || a.side == b.side ||
                !a.box(width, height).meets(b.box(width, height)))
                continue;
            if (across(a.side) == across(b.side)) {
                // Facing each other: the span between the edges shared.
                std::int64_t span = across(a.side) ? width : height;
                std::int64_t size = (span - a.start - b.start - apart) / (a.length + b.length);
                a.size = std::clamp(size, smallest, a.size);
                b.size = std::clamp(size, smallest, b.size);
                continue;
            }
            // Meeting at a corner: the name that loses less stops short of
            // the other's line.
            auto roomBefore = [&](const Name& name, const Name& other) {
                std::int64_t edge = across(name.side) ? width : height;
                std::int64_t line = (name.side == Side::Left || name.side == Side::Top)
                                        ? other.centre + edge
                                        : -other.centre;
                return line - other.size / 2 - apart;
            };
            std::int64_t sizeA = sizeFor(a, roomBefore(a, b));
            std::int64_t sizeB = sizeFor(b, roomBefore(b, a));
            Name& first = sizeA * b.size >= sizeB * a.size ? a : b;
            Name& second = &first == &a ? b : a;
            std::int64_t size = &first == &a ? sizeA : sizeB;
            first.size = std::clamp(size, smallest, first.size);
            // Where even the smallest name does not stop short, both are
            // made small, so that they cross as little as they can.
            if (size < smallest)
                second.size =
                    std::clamp(sizeFor(second, roomBefore(second, first)), smallest, second.size);
        }
    std::vector<std::int64_t> sizes;
    for (const Name& name : drawn)
        sizes.push_back(name.size == fullSize ? fullSize : name.size / step * step);
    return sizes;
}

} // namespace dovla::sheettool::kicad
