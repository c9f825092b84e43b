#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

#include "library/pin_placement.h"
#include "writers/library_writer.h"

namespace dovla {

bool operator==(const PinPoints& a, const PinPoints& b) {
    return a.endX == b.endX && a.endY == b.endY && a.rootX == b.rootX && a.rootY == b.rootY;
}

void PrintTo(const PinPoints& p, std::ostream* out) {
    *out << "end (" << p.endX << "," << p.endY << ") root (" << p.rootX << "," << p.rootY << ")";
}

namespace {

using writers::pinNumber;

// A body 4 wide and 3 high placed at (1000, 500).
struct PlacementCase {
    std::int32_t dir;
    std::uint16_t position;
    PinPoints expected;
};

void PrintTo(const PlacementCase& c, std::ostream* out) {
    *out << "dir " << c.dir << " position 0x" << std::hex << c.position;
}

class PinPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PinPlacement, OfABodyFourByThree) {
    EXPECT_EQ(placePin(GetParam().dir, GetParam().position, 1000, 500, 4, 3), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PinPlacement,
                         ::testing::Values(
                             // Side 0x000 offset 1 in all eight placements.
                             PlacementCase{0, 0x001, {950, 480, 960, 480}},
                             PlacementCase{1, 0x001, {990, 450, 990, 460}},
                             PlacementCase{2, 0x001, {1010, 490, 1000, 490}},
                             PlacementCase{3, 0x001, {980, 510, 980, 500}},
                             PlacementCase{4, 0x001, {1010, 480, 1000, 480}},
                             PlacementCase{5, 0x001, {980, 450, 980, 460}},
                             PlacementCase{6, 0x001, {950, 490, 960, 490}},
                             PlacementCase{7, 0x001, {990, 510, 990, 500}},
                             // Side 0x100 offset 2.
                             PlacementCase{0, 0x102, {980, 460, 980, 470}},
                             PlacementCase{1, 0x102, {1010, 480, 1000, 480}},
                             // Sides 0x200 and 0x300 unrotated: the right and the bottom edge.
                             PlacementCase{0, 0x201, {1010, 480, 1000, 480}},
                             PlacementCase{0, 0x302, {980, 510, 980, 500}},
                             // Bits of dir above bit 2, and of the position above bit 9, are
                             // ignored; -3 has the low bits of 5.
                             PlacementCase{8, 0x001, {950, 480, 960, 480}},
                             PlacementCase{0x7FFFFFF9, 0x001, {990, 450, 990, 460}},
                             PlacementCase{-3, 0x001, {980, 450, 980, 460}},
                             PlacementCase{0, 0xFC01, {950, 480, 960, 480}},
                             PlacementCase{1, 0xFD02, {1010, 480, 1000, 480}}));

// Sizes and offsets are unsigned bytes: 200 is 2000 units, not negative.
TEST(PinPlacementSizes, AreUnsignedBytes) {
    EXPECT_EQ(placePin(0, 0x0FF, 5000, 5000, 200, 250), (PinPoints{2990, 5050, 3000, 5050}));
    EXPECT_EQ(placePin(0, 0x3FF, 5000, 5000, 200, 250), (PinPoints{5550, 5010, 5550, 5000}));
}

// In every placement the body covers the rectangle whose corner of greatest
// x and y is the origin, every pin's root lies on that rectangle's edge and
// its end 10 units straight out from it, and the mirror reverses x within
// the rectangle.
TEST(PinPlacementGeometry, PinsStandOnThePlacedBodyAndPointOutward) {
    const std::int32_t x = 2000, y = 1500;
    const std::uint8_t width = 6, height = 4;
    for (std::int32_t dir = 0; dir < 8; ++dir) {
        const bool turned = (dir & 1) != 0;
        const std::int32_t spanX = 10 * (turned ? height : width);
        const std::int32_t spanY = 10 * (turned ? width : height);
        for (int side = 0; side < 4; ++side) {
            const int length = side % 2 == 0 ? height : width;
            for (int offset = 1; offset < length; ++offset) {
                SCOPED_TRACE("dir " + std::to_string(dir) + " side " + std::to_string(side) +
                             " offset " + std::to_string(offset));
                PinPoints p = placePin(dir, writers::pinAt(side, offset), x, y, width, height);
                bool onLeft = p.rootX == x - spanX, onRight = p.rootX == x;
                bool onTop = p.rootY == y - spanY, onBottom = p.rootY == y;
                ASSERT_EQ(onLeft + onRight + onTop + onBottom, 1) << ::testing::PrintToString(p);
                if (onLeft || onRight) {
                    EXPECT_GT(p.rootY, y - spanY);
                    EXPECT_LT(p.rootY, y);
                    EXPECT_EQ(p.endY, p.rootY);
                    EXPECT_EQ(p.endX, p.rootX + (onRight ? 10 : -10));
                } else {
                    EXPECT_GT(p.rootX, x - spanX);
                    EXPECT_LT(p.rootX, x);
                    EXPECT_EQ(p.endX, p.rootX);
                    EXPECT_EQ(p.endY, p.rootY + (onBottom ? 10 : -10));
                }
                if (dir & 4) {
                    PinPoints plain =
                        placePin(dir & 3, writers::pinAt(side, offset), x, y, width, height);
                    EXPECT_EQ(p.rootX, 2 * x - spanX - plain.rootX);
                    EXPECT_EQ(p.endX, 2 * x - spanX - plain.endX);
                    EXPECT_EQ(p.rootY, plain.rootY);
                    EXPECT_EQ(p.endY, plain.endY);
                }
            }
        }
    }
}

struct TextCase {
    const char* ref;
    std::int32_t block;
    std::uint8_t blockCount;
    const char* partName;
    std::uint16_t pinNumber;
    const char* pinName;
    std::string text;    // default format
    std::string package; // package-style format
};

void PrintTo(const TextCase& c, std::ostream* out) {
    *out << "'" << c.text << "'";
}

class PinTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(PinTexts, InBothFormats) {
    const TextCase& c = GetParam();
    EXPECT_EQ(
        std::string(formatPinText(c.ref, c.block, c.blockCount, c.partName, c.pinNumber, c.pinName)
                        .c_str()),
        c.text);
    EXPECT_EQ(std::string(formatPinTextPackage(c.ref, c.pinNumber).c_str()), c.package);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PinTexts,
    ::testing::Values(
        TextCase{"U1", 1, 4, "GATE", pinNumber(4), "A", "U1(2/4):\tGATE [4(A)]", "U1.4"},
        TextCase{"", 0, 1, "RES", pinNumber(1), "", "\tRES [1]", ".1"},
        TextCase{"", 0, 0, "RES", pinNumber(1), "", "\tRES [1]", ".1"},
        TextCase{"", 0, 2, "NAND", pinNumber(3), "Y", "(1/2):\tNAND [3(Y)]", ".3"},
        TextCase{"R12", 0, 1, "RES", pinNumber(2), "", "R12:\tRES [2]", "R12.2"},
        TextCase{"J1", 0, 1, "CONN", pinNumber(12, 'B'), "", "J1:\tCONN [B12]", "J1.B12"},
        TextCase{"J1", 9, 12, "CONN", pinNumber(511, 'Z'), "", "J1(10/12):\tCONN [Z511]",
                 "J1.Z511"},
        // Letter code 31 is the character after Z; bits 9 and 15 are ignored.
        TextCase{"J1", 0, 1, "CONN", 0x7C05, "", "J1:\tCONN [_5]", "J1._5"},
        TextCase{"J1", 0, 1, "CONN", 0x8205, "", "J1:\tCONN [5]", "J1.5"},
        TextCase{"U2", 0, 1, "CPU", pinNumber(7), "\xC1\xC2", "U2:\tCPU [7(\\A\\B)]", "U2.7"},
        TextCase{"U2", 0, 1, "CPU", pinNumber(7), "X\x80Y", "U2:\tCPU [7(X\\Y)]", "U2.7"}));

TEST(EscapedPinNames, MarkBytesWithTheHighBitSet) {
    const struct {
        const char* name;
        std::string escaped;
    } cases[] = {
        {"", ""},
        {"CLK", "CLK"},
        {"\xC1", "\\A"},
        {"/\xD2\xD3T", "/\\R\\ST"},
        {"\xFF", "\\\x7F"},
        {"\x80", "\\"},
        {"A\x80"
         "B\x80",
         "A\\B\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string(escapePinName(c.name).c_str()), c.escaped)
            << ::testing::PrintToString(c.name);
}

} // namespace
} // namespace dovla
