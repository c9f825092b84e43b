#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/design_fixture.h"

namespace dovla::testing {
namespace {

std::string report(const std::string& packages, const std::string& nets) {
    return lines("$PACKAGES\n" + packages + "$NETS\n" + nets + "$END\n");
}

void expectCleanRun(const RunResult& result) {
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
}

TEST(PackageReport, WorkedExample) {
    Design d;
    workedExample(d);
    const std::string expected = lines("$PACKAGES\n"
                                       "! RES; R1\n"
                                       "! RES; R2\n"
                                       "$NETS\n"
                                       "VCC;  R1.1\n"
                                       "OUT;  R1.2 R2.1\n"
                                       "GND;  R2.2\n"
                                       "$END\n");
    RunResult result = d.run({"-t"});
    expectCleanRun(result);
    EXPECT_EQ(result.out, expected);
    // The package style has no coordinates and no wire lines.
    result = d.run({"-t", "-l"});
    expectCleanRun(result);
    EXPECT_EQ(result.out, expected);
}

TEST(PackageReport, EmptySheet) {
    Design d;
    d.sheet.header();
    RunResult result = d.run({"-t"});
    expectCleanRun(result);
    EXPECT_EQ(result.out, emptyPackageReport());
}

// Nets that are not written take no number, wherever they stand.
TEST(PackageReport, NumbersUnnamedNetsWithoutGaps) {
    Design d;
    unwrittenNets(d);
    RunResult result = d.run({"-t"});
    expectCleanRun(result);
    EXPECT_EQ(result.out, report("! RES; R1\n! RES; R2\n! RES; R3\n! RES; R4\n"
                                 "! RES; R5\n! RES; R6\n! RES; R7\n! RES; R8\n",
                                 "N00001;  R1.2 R2.1\n"
                                 "N00002;  R3.2 R4.1\n"
                                 "NAMED;  R5.2 R6.1\n"
                                 "N00003;  R7.2 R8.1\n"));
}

TEST(PackageReport, NameParts) {
    Design d;
    nameSources(d);
    RunResult result = d.run({"-t"});
    expectCleanRun(result);
    EXPECT_EQ(result.out, report("! RES; R1\n! RES; R2\n! RES; R3\n! RES; R4\n"
                                 "! RES; R5\n! RES; R6\n! RES; R7\n",
                                 "A, B,C;  R2.1 R1.2\n"
                                 "OUT, DATA,OUT;  R4.1 R3.2\n"
                                 ", B;  R6.1 R5.2\n"
                                 "SUPPLY, VCC;  R7.2\n"));
}

TEST(PackageReport, MultiBlockPartsAndEmptyRefs) {
    Design d;
    multiBlock(d);
    const std::string nets = "N00001;  U1.3 U1.4\n"
                             "N00002;  U1.6 U1.9\n"
                             "N00003;  U1.8 U1.12\n"
                             "N00004;  .3 .1\n";
    RunResult result = d.run({"-t"});
    expectCleanRun(result);
    EXPECT_EQ(result.out, report("! NAND; U1\n! NAND;\n! RES;\n", nets));
    // With -l every block has its line, and the lines are alike.
    result = d.run({"-t", "-l"});
    expectCleanRun(result);
    EXPECT_EQ(result.out,
              report("! NAND; U1\n! NAND; U1\n! NAND; U1\n! NAND; U1\n! NAND;\n! RES;\n", nets));
}

struct PowerCase {
    std::vector<std::string> options;
    std::string packages;
    std::string nets;
};

void PrintTo(const PowerCase& c, std::ostream* out) {
    for (const std::string& option : c.options)
        *out << '[' << option << ']';
}

class PackagePowerSymbols : public ::testing::TestWithParam<PowerCase> {};

TEST_P(PackagePowerSymbols, NameNetsInsteadOfBeingListed) {
    Design d;
    powerSymbols(d);
    std::vector<std::string> options = {"-t"};
    options.insert(options.end(), GetParam().options.begin(), GetParam().options.end());
    RunResult result = d.run(options);
    expectCleanRun(result);
    EXPECT_EQ(result.out, report(GetParam().packages, GetParam().nets));
}

INSTANTIATE_TEST_SUITE_P(
    Table, PackagePowerSymbols,
    ::testing::Values(
        PowerCase{{},
                  "! RES; R1\n! RES; R2\n! BAT; B1\n",
                  "VCC;  R1.1 R2.1\nGND;  R1.2\nN00001;  R2.2 B1.1\n"},
        PowerCase{{"-p"},
                  "! RES; R1\n! RES; R2\n! VCC;\n! VCC;\n! GND;\n! BAT; B1\n",
                  "N00001;  R1.1 .1\nN00002;  R1.2 .1\nN00003;  R2.1 .1\n"
                  "N00004;  R2.2 B1.1\n"},
        PowerCase{{"-wBAT"}, "! RES; R1\n! RES; R2\n", "VCC;  R1.1 R2.1\nGND;  R1.2\nBAT;  R2.2\n"},
        PowerCase{{"-p", "-wVCC"},
                  "! RES; R1\n! RES; R2\n! GND;\n! BAT; B1\n",
                  "VCC;  R1.1 R2.1\nN00001;  R1.2 .1\nN00002;  R2.2 B1.1\n"}));

// n resistors placed on each other: all their pins 1 meet at one point, and
// all their pins 2 at another, where the label SUM names that net.
struct PinsCase {
    int pins;
    std::string nets;
};

void PrintTo(const PinsCase& c, std::ostream* out) {
    *out << c.pins << " pins";
}

class PackagePinLines : public ::testing::TestWithParam<PinsCase> {};

TEST_P(PackagePinLines, HoldFourPinsEach) {
    Design d;
    d.withResistor();
    std::string packages;
    for (int i = 1; i <= GetParam().pins; ++i) {
        d.resistor(100, 100, "R" + std::to_string(i));
        packages += "! RES; R" + std::to_string(i) + "\n";
    }
    d.sheet.label(160, 100, "SUM");
    RunResult result = d.run({"-t"});
    expectCleanRun(result);
    EXPECT_EQ(result.out, report(packages, GetParam().nets));
}

INSTANTIATE_TEST_SUITE_P(Table, PackagePinLines,
                         ::testing::Values(PinsCase{4, "N00001;  R1.1 R2.1 R3.1 R4.1\n"
                                                       "SUM;  R1.2 R2.2 R3.2 R4.2\n"},
                                           PinsCase{5, "N00001;  R1.1 R2.1 R3.1 R4.1,\n"
                                                       "\t R5.1\n"
                                                       "SUM;  R1.2 R2.2 R3.2 R4.2,\n"
                                                       "\t R5.2\n"},
                                           PinsCase{8, "N00001;  R1.1 R2.1 R3.1 R4.1,\n"
                                                       "\t R5.1 R6.1 R7.1 R8.1\n"
                                                       "SUM;  R1.2 R2.2 R3.2 R4.2,\n"
                                                       "\t R5.2 R6.2 R7.2 R8.2\n"},
                                           PinsCase{9, "N00001;  R1.1 R2.1 R3.1 R4.1,\n"
                                                       "\t R5.1 R6.1 R7.1 R8.1,\n"
                                                       "\t R9.1\n"
                                                       "SUM;  R1.2 R2.2 R3.2 R4.2,\n"
                                                       "\t R5.2 R6.2 R7.2 R8.2,\n"
                                                       "\t R9.2\n"}));

TEST(PackageReport, MissingPartIsReportedAndLeftUnconnected) {
    Design d;
    missingPart(d);
    const std::string cantFind = lines("dovla32: can't find LM358\n");
    const std::string nets = "N00001;  R1.2 R2.1\n";
    RunResult result = d.run({"-t"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner() + cantFind + cantFind);
    EXPECT_EQ(result.out, report("! RES; R1\n! LM358; U1\n! RES; R2\n", nets));
    result = d.run({"-t", "-l"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, report("! RES; R1\n! LM358; U1\n! LM358; U1\n! RES; R2\n", nets));
}

} // namespace
} // namespace dovla::testing
