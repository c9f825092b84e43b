#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "view/view_geometry.h"

namespace dovla::sheettool::view {
namespace {

using model::Design;
using model::ItemKind;
using model::ItemRef;

void addWire(Design& design, int sheet, model::Point from, model::Point to) {
    design.wires.push_back({sheet, from, to, {}});
    design.items.push_back({ItemKind::Wire, static_cast<std::uint32_t>(design.wires.size() - 1)});
}

void addLabel(Design& design, int sheet, model::Point at, const std::string& name) {
    design.labels.push_back({sheet, at, name, false, {}});
    design.items.push_back({ItemKind::Label, static_cast<std::uint32_t>(design.labels.size() - 1)});
}

void addTag(Design& design, int sheet, model::Point from, std::int32_t width) {
    design.tags.push_back({sheet, from, {from.x + width, from.y}, "T", {}});
    design.items.push_back({ItemKind::Tag, static_cast<std::uint32_t>(design.tags.size() - 1)});
}

model::Part part(int sheet, model::Point origin, bool found) {
    model::Part part;
    part.sheet = sheet;
    part.origin = origin;
    part.found = found;
    part.bodyMin = found ? model::Point{origin.x - 40, origin.y - 20} : origin;
    part.bodyMax = origin;
    return part;
}

TEST(DrawnSheets, SheetZeroOnlyWhenSomethingLiesOnIt) {
    Design design;
    design.sheets = {{1, 4, 3000, 2000}};
    addWire(design, 1, {10, 10}, {50, 10});
    std::vector<DrawnSheet> sheets = drawnSheets(design);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].number, 1);

    design.parts.push_back(part(0, {500, 400}, true));
    sheets = drawnSheets(design);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].number, 0);
    // Sheet 0 has no size of its own: its paper is what lies on it.
    EXPECT_EQ(sheets[0].paper, (Box{460, 380, 500, 400}));
    EXPECT_EQ(sheets[0].extent, sheets[0].paper);
}

TEST(DrawnSheets, ExtentHoldsEveryItemWithItsTextAndOutline) {
    Design design;
    design.sheets = {{1, 4, 3000, 2000}, {2, 2, 1600, 1200}, {3, 0, 640, 400}};
    addWire(design, 1, {100, 200}, {300, 200});
    addLabel(design, 1, {300, 200}, "ABC"); // its text runs 3 characters to the right
    addTag(design, 1, {50, 100}, 40);       // its outline reaches 8 above and below
    design.parts.push_back(part(1, {900, 700}, false));
    addWire(design, 2, {-20, 5000}, {10, 5000}); // beyond the paper
    std::vector<DrawnSheet> sheets = drawnSheets(design);
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets[0].paper, (Box{0, 0, 3000, 2000}));
    EXPECT_EQ(sheets[0].extent, (Box{50, 92, 900, 700}));
    EXPECT_EQ(sheets[1].paper, (Box{0, 0, 1600, 1200}));
    EXPECT_EQ(sheets[1].extent, (Box{-20, 5000, 10, 5000}));
    // An empty sheet shows its paper.
    EXPECT_EQ(sheets[2].extent, (Box{0, 0, 640, 400}));

    Design texts;
    texts.sheets = {{1, 4, 3000, 2000}};
    addLabel(texts, 1, {300, 200}, "ABC");
    EXPECT_GE(drawnSheets(texts)[0].extent.maxX, 300 + 3 * 7);
}

TEST(DrawnSheets, CoordinatesAtTheLimitsDoNotOverflow) {
    constexpr std::int32_t most = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t least = std::numeric_limits<std::int32_t>::min();
    Design design;
    design.sheets = {{1, 4, 3000, 2000}};
    addLabel(design, 1, {most, least}, "LONGESTNAME");
    addTag(design, 1, {least, least}, 0);
    addTag(design, 1, {most, most}, 0);
    design.parts.push_back(part(1, {least, least}, false));
    DrawnSheet sheet = drawnSheets(design)[0];
    EXPECT_EQ(sheet.extent.minX, std::int64_t{least} - unknownBodySide);
    EXPECT_EQ(sheet.extent.minY, std::int64_t{least} - unknownBodySide);
    EXPECT_GT(sheet.extent.maxX, std::int64_t{most});
    EXPECT_EQ(sheet.extent.maxY, std::int64_t{most} + tagHalfHeight);
}

TEST(TagOutline, PointedAtBothEndsAroundItsLine) {
    struct Case {
        std::int32_t width;
        std::vector<std::int64_t> outline;
    };
    for (const Case& c : std::vector<Case>{
             {40, {100, 50, 108, 42, 132, 42, 140, 50, 132, 58, 108, 58}},
             // Too short for full points: they meet in the middle.
             {10, {100, 50, 105, 42, 105, 42, 110, 50, 105, 58, 105, 58}},
             {0, {100, 50, 100, 42, 100, 42, 100, 50, 100, 58, 100, 58}},
         }) {
        model::Tag tag{1, {100, 50}, {100 + c.width, 50}, "T", {}};
        EXPECT_EQ(tagOutline(tag), c.outline) << "width " << c.width;
    }
}

TEST(PinNumberAt, BesideTheMiddleOfThePin) {
    struct Case {
        model::Point root, end, number;
    };
    for (const Case& c : std::vector<Case>{
             {{100, 50}, {110, 50}, {105, 47}}, // to the right: above
             {{100, 50}, {90, 50}, {95, 47}},   // to the left: above
             {{50, 100}, {50, 110}, {43, 108}}, // down: to the left
             {{50, 100}, {50, 90}, {43, 98}},   // up: to the left
         }) {
        model::Pin pin;
        pin.root = c.root;
        pin.end = c.end;
        EXPECT_EQ(pinNumberAt(pin), c.number) << c.root.x << "," << c.root.y;
    }
}

// Two pins that meet at one point would write their numbers over each
// other: the later one goes to the other side of its line. Pins on another
// sheet, or far enough apart, keep their places.
TEST(PinNumberPlaces, NumbersOfPinsThatMeetDoNotOverlap) {
    auto pinOf = [](int sheet, model::Point root, model::Point end, int number, char letter) {
        model::Pin pin;
        pin.sheet = sheet;
        pin.root = root;
        pin.end = end;
        pin.number = number;
        pin.letter = letter;
        return pin;
    };
    struct Case {
        const char* what;
        model::Pin second;
        model::Point place;
        std::string text;
    };
    const model::Pin first = pinOf(1, {90, 50}, {100, 50}, 2, 0); // its number at 95,47
    for (const Case& c : std::vector<Case>{
             {"meets it from above", pinOf(1, {100, 40}, {100, 50}, 1, 0), {107, 48}, "1"},
             {"the same on another sheet", pinOf(2, {100, 40}, {100, 50}, 1, 0), {93, 48}, "1"},
             {"far enough below", pinOf(1, {90, 70}, {100, 70}, 12, 0), {95, 67}, "12"},
             {"lettered, meeting it", pinOf(1, {100, 40}, {100, 50}, 3, 'B'), {107, 48}, "B3"},
         }) {
        model::Design design;
        design.pins = {first, c.second};
        std::vector<model::Point> places = pinNumberPlaces(design);
        ASSERT_EQ(places.size(), 2u);
        EXPECT_EQ(places[0], (model::Point{95, 47})) << c.what;
        EXPECT_EQ(places[1], c.place) << c.what;
        EXPECT_EQ(pinNumberText(c.second), c.text) << c.what;
    }
}

// Numbers are looked up by the cells of the plane they fall in: two that
// overlap across the line between two cells, in either direction and on
// either side of the axes, are seen.
TEST(PinNumberPlaces, NumbersOverlapAcrossTheLinesOfTheirCells) {
    auto horizontal = [](std::int32_t x, std::int32_t y) {
        model::Pin pin;
        pin.sheet = 1;
        pin.root = {x - 5, y};
        pin.end = {x + 5, y};
        pin.number = 1;
        return pin; // its number at x,y-3
    };
    struct Case {
        const char* what;
        model::Point first, second; // the pins' middles
        model::Point place;         // where the second's number goes
    };
    for (const Case& c : std::vector<Case>{
             {"the cell below", {95, 36}, {95, 32}, {95, 41}},
             {"the cell above", {95, 32}, {95, 36}, {95, 45}},
             {"the cell to the left", {62, 50}, {65, 50}, {65, 59}},
             {"the cell to the right", {65, 50}, {62, 50}, {62, 59}},
             {"apart", {62, 36}, {62, 24}, {62, 21}},
             {"the cell below, across the x axis", {0, 4}, {0, 1}, {0, 10}},
             {"the cell to the left, across the y axis", {2, 50}, {-1, 50}, {-1, 59}},
         }) {
        model::Design design;
        design.pins = {horizontal(c.first.x, c.first.y), horizontal(c.second.x, c.second.y)};
        std::vector<model::Point> places = pinNumberPlaces(design);
        ASSERT_EQ(places.size(), 2u);
        EXPECT_EQ(places[1], c.place) << c.what;
    }
}

TEST(BodyOf, UnknownPartsStandAsASquareAtTheirOrigin) {
    EXPECT_EQ(bodyOf(part(1, {300, 200}, true)), (Box{260, 180, 300, 200}));
    EXPECT_EQ(bodyOf(part(1, {300, 200}, false)), (Box{280, 180, 300, 200}));
}

} // namespace
} // namespace dovla::sheettool::view
