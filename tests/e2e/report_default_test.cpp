#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/design_fixture.h"

namespace dovla::testing {
namespace {

// The whole default report around a part list and a net list.
std::string report(const std::string& partList, const std::string& netList) {
    return lines("\n#PartList\n\n" + partList + "\n#NetList\n\n" + netList + "\n#End\n");
}

void expectCleanRun(const RunResult& result) {
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
}

TEST(DefaultReport, WorkedExample) {
    Design d;
    workedExample(d);
    RunResult result = d.run();
    expectCleanRun(result);
    EXPECT_EQ(result.out, lines("\n"
                                "#PartList\n"
                                "\n"
                                "R1:\tRES\n"
                                "R2:\tRES\n"
                                "\n"
                                "#NetList\n"
                                "\n"
                                "VCC\n"
                                "{\n"
                                "\tR1:\tRES [1]\n"
                                "}\n"
                                "OUT\n"
                                "{\n"
                                "\tR1:\tRES [2]\n"
                                "\tR2:\tRES [1]\n"
                                "}\n"
                                "GND\n"
                                "{\n"
                                "\tR2:\tRES [2]\n"
                                "}\n"
                                "\n"
                                "#End\n"));
}

TEST(DefaultReport, WorkedExampleLongListing) {
    Design d;
    workedExample(d);
    RunResult result = d.run({"-l"});
    expectCleanRun(result);
    EXPECT_EQ(result.out, report("R1:\tRES\n"
                                 "R2:\tRES\n",
                                 "VCC\n"
                                 "{\n"
                                 "\tR1:\tRES [1]\t<(2940,2500)>\n"
                                 "\t\tWire\t\t<(2900,2500) - (2940,2500)>\n"
                                 "}\n"
                                 "OUT\n"
                                 "{\n"
                                 "\tR1:\tRES [2]\t<(3000,2500)>\n"
                                 "\tR2:\tRES [1]\t<(3300,2500)>\n"
                                 "\t\tWire\t\t<(3000,2500) - (3300,2500)>\n"
                                 "}\n"
                                 "GND\n"
                                 "{\n"
                                 "\tR2:\tRES [2]\t<(3360,2500)>\n"
                                 "}\n"));
}

// Members are listed in the order they joined the net: a wire takes the pin
// at its far end before the one at its near end.
TEST(DefaultReport, ListsMembersInJoiningOrder) {
    Design d;
    d.withResistor().resistor(100, 100, "R1").resistor(400, 100, "R2");
    d.sheet.wire(160, 100, 400, 100).label(250, 100, "OUT");
    RunResult result = d.run({"-l"});
    expectCleanRun(result);
    EXPECT_EQ(result.out, report("R1:\tRES\n"
                                 "R2:\tRES\n",
                                 "OUT\n"
                                 "{\n"
                                 "\tR2:\tRES [1]\t<(400,100)>\n"
                                 "\tR1:\tRES [2]\t<(160,100)>\n"
                                 "\t\tWire\t\t<(160,100) - (400,100)>\n"
                                 "}\n"));
}

TEST(DefaultReport, EmptySheet) {
    Design d;
    d.sheet.header();
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{}, std::vector<std::string>{"-l"}}) {
        RunResult result = d.run(options);
        expectCleanRun(result);
        EXPECT_EQ(result.out, emptyDefaultReport());
    }
}

// Nets of wires and labels only, and nets of power pins only, are left
// out whole; unnamed nets have no name line.
TEST(DefaultReport, WritesOnlyNetsWithListedPins) {
    Design d;
    unwrittenNets(d);
    RunResult result = d.run();
    expectCleanRun(result);
    EXPECT_EQ(result.out, report("R1:\tRES\nR2:\tRES\nR3:\tRES\nR4:\tRES\n"
                                 "R5:\tRES\nR6:\tRES\nR7:\tRES\nR8:\tRES\n",
                                 "{\n"
                                 "\tR1:\tRES [2]\n"
                                 "\tR2:\tRES [1]\n"
                                 "}\n"
                                 "{\n"
                                 "\tR3:\tRES [2]\n"
                                 "\tR4:\tRES [1]\n"
                                 "}\n"
                                 "NAMED\n"
                                 "{\n"
                                 "\tR5:\tRES [2]\n"
                                 "\tR6:\tRES [1]\n"
                                 "}\n"
                                 "{\n"
                                 "\tR7:\tRES [2]\n"
                                 "\tR8:\tRES [1]\n"
                                 "}\n"));
}

TEST(DefaultReport, NameLines) {
    Design d;
    nameSources(d);
    RunResult result = d.run();
    expectCleanRun(result);
    EXPECT_EQ(result.out, report("R1:\tRES\nR2:\tRES\nR3:\tRES\nR4:\tRES\n"
                                 "R5:\tRES\nR6:\tRES\nR7:\tRES\n",
                                 "A, B,C\n"
                                 "{\n"
                                 "\tR2:\tRES [1]\n"
                                 "\tR1:\tRES [2]\n"
                                 "}\n"
                                 // Only a repeat of the name just before is left out.
                                 "OUT, DATA,OUT\n"
                                 "{\n"
                                 "\tR4:\tRES [1]\n"
                                 "\tR3:\tRES [2]\n"
                                 "}\n"
                                 // The empty label counts as the first name.
                                 ", B\n"
                                 "{\n"
                                 "\tR6:\tRES [1]\n"
                                 "\tR5:\tRES [2]\n"
                                 "}\n"
                                 "SUPPLY, VCC\n"
                                 "{\n"
                                 "\tR7:\tRES [2]\n"
                                 "}\n"));
}

TEST(DefaultReport, MultiBlockPartsAndEmptyRefs) {
    Design d;
    multiBlock(d);
    RunResult result = d.run();
    expectCleanRun(result);
    EXPECT_EQ(result.out, report("U1:\tNAND\n"
                                 "\tNAND\n"
                                 "\tRES\n",
                                 "{\n"
                                 "\tU1(1/4):\tNAND [3(Y)]\n"
                                 "\tU1(2/4):\tNAND [4(A)]\n"
                                 "}\n"
                                 "{\n"
                                 "\tU1(2/4):\tNAND [6(Y)]\n"
                                 "\tU1(3/4):\tNAND [9(A)]\n"
                                 "}\n"
                                 "{\n"
                                 "\tU1(3/4):\tNAND [8(Y)]\n"
                                 "\tU1(4/4):\tNAND [12(A)]\n"
                                 "}\n"
                                 "{\n"
                                 "\t(1/4):\tNAND [3(Y)]\n"
                                 "\t\tRES [1]\n"
                                 "}\n"));
}

TEST(DefaultReport, MultiBlockPartsLongListing) {
    Design d;
    multiBlock(d);
    RunResult result = d.run({"-l"});
    expectCleanRun(result);
    // Without a ref there is no block suffix in the part list either.
    EXPECT_EQ(result.out, report("U1(1/4):\tNAND\n"
                                 "U1(2/4):\tNAND\n"
                                 "U1(3/4):\tNAND\n"
                                 "U1(4/4):\tNAND\n"
                                 "\tNAND\n"
                                 "\tRES\n",
                                 "{\n"
                                 "\tU1(1/4):\tNAND [3(Y)]\t<(1010,980)>\n"
                                 "\tU1(2/4):\tNAND [4(A)]\t<(1010,980)>\n"
                                 "}\n"
                                 "{\n"
                                 "\tU1(2/4):\tNAND [6(Y)]\t<(1070,990)>\n"
                                 "\tU1(3/4):\tNAND [9(A)]\t<(1070,990)>\n"
                                 "}\n"
                                 "{\n"
                                 "\tU1(3/4):\tNAND [8(Y)]\t<(1130,1000)>\n"
                                 "\tU1(4/4):\tNAND [12(A)]\t<(1130,1000)>\n"
                                 "}\n"
                                 "{\n"
                                 "\t(1/4):\tNAND [3(Y)]\t<(2010,980)>\n"
                                 "\t\tRES [1]\t<(2010,980)>\n"
                                 "}\n"));
}

struct PowerCase {
    std::vector<std::string> options;
    std::string partList;
    std::string netList;
};

void PrintTo(const PowerCase& c, std::ostream* out) {
    for (const std::string& option : c.options)
        *out << '[' << option << ']';
}

class DefaultPowerSymbols : public ::testing::TestWithParam<PowerCase> {};

TEST_P(DefaultPowerSymbols, NameNetsInsteadOfBeingListed) {
    Design d;
    powerSymbols(d);
    RunResult result = d.run(GetParam().options);
    expectCleanRun(result);
    EXPECT_EQ(result.out, report(GetParam().partList, GetParam().netList));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DefaultPowerSymbols,
    ::testing::Values(PowerCase{{},
                                "R1:\tRES\nR2:\tRES\nB1:\tBAT\n",
                                "VCC\n{\n\tR1:\tRES [1]\n\tR2:\tRES [1]\n}\n"
                                "GND\n{\n\tR1:\tRES [2]\n}\n"
                                "{\n\tR2:\tRES [2]\n\tB1:\tBAT [1]\n}\n"},
                      // No power names: the symbols are parts like any other, and the two
                      // VCC pins are no longer joined by their name.
                      PowerCase{{"-p"},
                                "R1:\tRES\nR2:\tRES\n\tVCC\n\tVCC\n\tGND\nB1:\tBAT\n",
                                "{\n\tR1:\tRES [1]\n\t\tVCC [1]\n}\n"
                                "{\n\tR1:\tRES [2]\n\t\tGND [1]\n}\n"
                                "{\n\tR2:\tRES [1]\n\t\tVCC [1]\n}\n"
                                "{\n\tR2:\tRES [2]\n\tB1:\tBAT [1]\n}\n"},
                      PowerCase{{"-wBAT"},
                                "R1:\tRES\nR2:\tRES\n",
                                "VCC\n{\n\tR1:\tRES [1]\n\tR2:\tRES [1]\n}\n"
                                "GND\n{\n\tR1:\tRES [2]\n}\n"
                                "BAT\n{\n\tR2:\tRES [2]\n}\n"},
                      PowerCase{{"-p", "-wVCC"},
                                "R1:\tRES\nR2:\tRES\n\tGND\nB1:\tBAT\n",
                                "VCC\n{\n\tR1:\tRES [1]\n\tR2:\tRES [1]\n}\n"
                                "{\n\tR1:\tRES [2]\n\t\tGND [1]\n}\n"
                                "{\n\tR2:\tRES [2]\n\tB1:\tBAT [1]\n}\n"}));

TEST(DefaultReport, MissingPartIsReportedAndLeftUnconnected) {
    Design d;
    missingPart(d);
    const std::string cantFind = lines("dovla32: can't find LM358\n");
    RunResult result = d.run();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner() + cantFind + cantFind);
    EXPECT_EQ(result.out,
              report("R1:\tRES\nU1:\tLM358\nR2:\tRES\n", "{\n\tR1:\tRES [2]\n\tR2:\tRES [1]\n}\n"));

    // With -l both blocks are listed; a part without a library part has no
    // block count to show.
    result = d.run({"-l"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner() + cantFind + cantFind);
    EXPECT_EQ(result.out,
              report("R1:\tRES\nU1:\tLM358\nU1:\tLM358\nR2:\tRES\n", "{\n"
                                                                     "\tR1:\tRES [2]\t<(160,100)>\n"
                                                                     "\tR2:\tRES [1]\t<(160,100)>\n"
                                                                     "}\n"));
}

// The part list is written before the pins are made. A design whose pins
// do not fit the memory that the program may use ends in a fatal error
// after that; what was written stays in the output file.
TEST(ReportOutput, FatalErrorKeepsTheReportWrittenBeforeIt) {
    if (testingWindowsBuild())
        GTEST_SKIP() << "needs a POSIX shell's ulimit";
    if (addressSanitizer)
        GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
    Design d;
    writers::LibPartDescription big{"BIG", 255, 255, 1, 0, {}};
    for (int i = 0; i < 4095; ++i)
        big.pins.push_back({writers::pinAt(i % 4, i / 4 % 256), "", {writers::pinNumber(i % 512)}});
    d.library.add(big);
    std::string partList;
    for (int i = 1; i <= 300; ++i) {
        d.sheet.part(5000, 5000, "U" + std::to_string(i), "BIG", "BIG");
        partList += "U" + std::to_string(i) + ":\tBIG\n";
    }
    d.save();
    // The program itself takes less than 10 MB of the 64; 300 x 4095 pins
    // need more than 100 MB.
    RunResult result =
        runCommand({"/bin/sh", "-c", "ulimit -v 65536 && exec \"$0\" -oreport.net design.sch",
                    programCommand().back()},
                   d.dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, banner() + lines("dovla32: can't alloc memory!\n"));
    EXPECT_EQ(d.dir.read("report.net"), lines("\n#PartList\n\n" + partList));
}

// A report that cannot reach its file is a failed run.
TEST(ReportOutput, WriteErrorFailsTheRun) {
    if (testingWindowsBuild())
        GTEST_SKIP() << "needs /dev/full";
    Design d;
    workedExample(d);
    for (const char* format : {"-l", "-t"}) {
        RunResult result = d.run({"-o/dev/full", format});
        EXPECT_EQ(result.status, 1) << format;
        EXPECT_EQ(result.err, banner() + lines("dovla32: file write error!\n")) << format;
    }
}

TEST(DefaultReport, WritesTheSameReportToAFile) {
    Design d;
    workedExample(d);
    RunResult toStdout = d.run({"-l"});
    RunResult toFile = d.run({"-oreport.net", "-l"});
    expectCleanRun(toFile);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(d.dir.read("report.net"), toStdout.out);
}

} // namespace
} // namespace dovla::testing
