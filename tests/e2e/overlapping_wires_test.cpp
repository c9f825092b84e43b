// Wires that overlap along a line are cut at one another's ends into many
// pieces. Only the long listing of the default format shows the pieces; the
// other reports are made without most of them, and must read exactly as
// the long listing does with its coordinates and wire lines taken out.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "e2e/design_fixture.h"

namespace dovla::testing {
namespace {

// What the default report reads without -l, from its long listing.
std::string withoutLongListing(const std::string& report) {
    static const std::regex wireLine(
        "\t\tWire\t\t<\\([-0-9]+,[-0-9]+\\) - \\([-0-9]+,[-0-9]+\\)>\r?\n");
    static const std::regex pinPlace("\t<\\([-0-9]+,[-0-9]+\\)>");
    return std::regex_replace(std::regex_replace(report, wireLine, ""), pinPlace, "");
}

struct OverlapCase {
    const char* name;
    std::uint32_t seed;
    int lines;
    int wiresPerLine;
};

class OverlappingWires : public ::testing::TestWithParam<OverlapCase> {};

// Along each line: wires from one point or from anywhere, each ending on
// the 10-unit raster or off it; resistors whose pins end on the line;
// labels of either orientation; junctions; and a VCC and a GND symbol.
void drawOverlaps(Design& d, const OverlapCase& c) {
    std::mt19937 random(c.seed);
    auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    static const char* const names[] = {"A", "B", "DATA", "A"};
    d.withResistor().withSymbol("VCC", 2).withSymbol("GND", 0);
    int parts = 0;
    for (int l = 0; l < c.lines; ++l) {
        const int y = 200 + 200 * l;
        for (int i = 0; i < c.wiresPerLine; ++i) {
            int from = between(0, 2) == 0 ? 100 : 100 + 10 * between(0, 40);
            int to = from + 10 * between(1, 40) + (between(0, 5) == 0 ? 5 : 0);
            d.sheet.wire(from, y, to, y);
        }
        for (int i = 0; i < 6; ++i)
            d.resistor(100 + 10 * between(0, 70), y, "R" + std::to_string(++parts));
        for (int i = 0; i < 8; ++i)
            d.sheet.label(100 + 10 * between(1, 80), y, names[between(0, 3)],
                          between(0, 3) == 0 ? 8 : 0);
        for (int i = 0; i < 3; ++i)
            d.sheet.junction(100 + 10 * between(1, 80), y);
        // Wires down to the line, some overlapping, with labels on them and
        // a resistor at the top of some.
        for (int i = 0; i < 6; ++i) {
            int x = 100 + 10 * between(1, 20);
            int top = y - 10 * between(2, 9);
            d.sheet.wire(x, top, x, y);
            if (between(0, 1))
                d.sheet.label(x, top + 10, names[between(0, 3)], 8);
            if (between(0, 2) == 0)
                d.resistor(x, top, "R" + std::to_string(++parts));
        }
        d.symbol(100 + 10 * between(1, 80), y, between(0, 1) ? "VCC" : "GND");
    }
}

TEST_P(OverlappingWires, ReportsReadAsTheLongListing) {
    Design d;
    drawOverlaps(d, GetParam());
    for (std::vector<std::string> scan : {std::vector<std::string>{}, {"-s"}}) {
        std::vector<std::string> longListing = scan;
        longListing.push_back("-l");
        RunResult listed = d.run(longListing);
        RunResult plain = d.run(scan);
        ASSERT_EQ(listed.status, 0) << listed.err;
        ASSERT_EQ(plain.status, 0) << plain.err;
        // Hollow unless pieces and named nets show.
        EXPECT_GT(std::count(listed.out.begin(), listed.out.end(), '\n'), 200);
        EXPECT_NE(plain.out.find("DATA"), std::string::npos);
        EXPECT_EQ(plain.out, withoutLongListing(listed.out));

        std::vector<std::string> package = scan;
        package.push_back("-t");
        std::vector<std::string> packageListed = package;
        packageListed.push_back("-l");
        EXPECT_EQ(d.run(package).out, d.run(packageListed).out);
    }
}

INSTANTIATE_TEST_SUITE_P(Designs, OverlappingWires,
                         ::testing::Values(OverlapCase{"one_line", 1, 1, 40},
                                           OverlapCase{"three_lines", 2, 3, 25},
                                           OverlapCase{"crowded_line", 3, 1, 120}),
                         [](const ::testing::TestParamInfo<OverlapCase>& info) {
                             return std::string(info.param.name);
                         });

// Each of n wires from one point along one line is cut at the ends of all
// the shorter ones: n * n / 2 pieces, 4.5 million for 3,000 wires, a sheet
// of 30 KB. Unless the long listing shows them, the reports need few of
// them, and the run stays within 64 MB (every piece would take some 250).
TEST(OverlappingWiresFromOnePoint, NeedNoMemoryForPiecesNotListed) {
    if (testingWindowsBuild())
        GTEST_SKIP() << "needs a POSIX shell's ulimit";
    if (addressSanitizer)
        GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
    Design d;
    d.withResistor().resistor(1000, 1000, "R1").resistor(1000 + 10 * 3000, 1000, "R2");
    for (int i = 1; i <= 3000; ++i)
        d.sheet.wire(1000, 1000, 1000 + 10 * i, 1000);
    d.save();
    const std::string net = "{\n\tR1:\tRES [1]\n\tR1:\tRES [2]\n\tR2:\tRES [1]\n}\n";
    for (const char* options : {"", "-s", "-t"}) {
        RunResult result = runCommand({"/bin/sh", "-c",
                                       std::string("ulimit -v 65536 && exec \"$0\" ") + options +
                                           " design.sch",
                                       programCommand().back()},
                                      d.dir.path());
        EXPECT_EQ(result.status, 0) << options << result.err;
        if (std::string(options) != "-t") {
            EXPECT_NE(result.out.find(net), std::string::npos) << options << result.out;
        }
    }
}

} // namespace
} // namespace dovla::testing
