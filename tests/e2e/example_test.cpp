#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace dovla::testing {
namespace {

namespace fs = std::filesystem;

// The build writes the example beside the program, into its examples
// directory (one level further up with a multi-configuration generator).
fs::path exampleDirectory() {
    fs::path binaryDir = fs::path(DOVLA32_BINARY).parent_path();
    for (const fs::path& dir : {binaryDir / "examples", binaryDir.parent_path() / "examples"})
        if (fs::exists(dir / "demo.sch"))
            return dir;
    return {};
}

class Example : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = exampleDirectory();
        ASSERT_FALSE(dir.empty()) << "the example is missing: build the target example";
    }
    RunResult run(const std::vector<std::string>& options) {
        std::vector<std::string> arguments = options;
        arguments.push_back("demo.sch");
        return runProgram(arguments, dir.string());
    }
    fs::path dir;
};

// D0 to D3 reach U1 from J1 through the buses tagged D on both sheets and
// the wire entries with their labels; VCC and GND join across the sheets by
// their names, OUT by its tags. Gates 1 to 3 of U1 are placed, the fourth
// is not.
TEST_F(Example, DefaultReport) {
    RunResult result = run({});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
    EXPECT_EQ(result.out, lines("\n"
                                "#PartList\n"
                                "\n"
                                "J1:\tCONN6\n"
                                "R1:\tRES\n"
                                "R2:\tRES\n"
                                "C1:\tCAP\n"
                                "J2:\tCONN2\n"
                                "U1:\t7400\n"
                                "R3:\tRES\n"
                                "C2:\tCAP\n"
                                "\n"
                                "#NetList\n"
                                "\n"
                                "D0\n"
                                "{\n"
                                "\tJ1:\tCONN6 [2]\n"
                                "\tR1:\tRES [1]\n"
                                "\tU1(1/4):\t7400 [1(A)]\n"
                                "}\n"
                                "D1\n"
                                "{\n"
                                "\tJ1:\tCONN6 [3]\n"
                                "\tR2:\tRES [1]\n"
                                "\tU1(1/4):\t7400 [2(B)]\n"
                                "}\n"
                                "D2\n"
                                "{\n"
                                "\tJ1:\tCONN6 [4]\n"
                                "\tU1(2/4):\t7400 [4(A)]\n"
                                "}\n"
                                "D3\n"
                                "{\n"
                                "\tJ1:\tCONN6 [5]\n"
                                "\tU1(2/4):\t7400 [5(B)]\n"
                                "}\n"
                                "VCC\n"
                                "{\n"
                                "\tJ1:\tCONN6 [1]\n"
                                "\tR1:\tRES [2]\n"
                                "\tR2:\tRES [2]\n"
                                "\tC1:\tCAP [1]\n"
                                "\tC2:\tCAP [1]\n"
                                "}\n"
                                "GND\n"
                                "{\n"
                                "\tJ1:\tCONN6 [6]\n"
                                "\tC1:\tCAP [2]\n"
                                "\tJ2:\tCONN2 [2]\n"
                                "\tC2:\tCAP [2]\n"
                                "}\n"
                                "OUT\n"
                                "{\n"
                                "\tJ2:\tCONN2 [1]\n"
                                "\tR3:\tRES [2]\n"
                                "}\n"
                                "{\n"
                                "\tU1(1/4):\t7400 [3(Y)]\n"
                                "\tU1(3/4):\t7400 [9(A)]\n"
                                "}\n"
                                "{\n"
                                "\tU1(2/4):\t7400 [6(Y)]\n"
                                "\tU1(3/4):\t7400 [10(B)]\n"
                                "}\n"
                                "{\n"
                                "\tR3:\tRES [1]\n"
                                "\tU1(3/4):\t7400 [8(Y)]\n"
                                "}\n"
                                "\n"
                                "#End\n"));
}

TEST_F(Example, PackageReport) {
    RunResult result = run({"-t"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
    EXPECT_EQ(result.out, lines("$PACKAGES\n"
                                "! CONN6; J1\n"
                                "! RES; R1\n"
                                "! RES; R2\n"
                                "! CAP; C1\n"
                                "! CONN2; J2\n"
                                "! 7400; U1\n"
                                "! RES; R3\n"
                                "! CAP; C2\n"
                                "$NETS\n"
                                "D0;  J1.2 R1.1 U1.1\n"
                                "D1;  J1.3 R2.1 U1.2\n"
                                "D2;  J1.4 U1.4\n"
                                "D3;  J1.5 U1.5\n"
                                "VCC;  J1.1 R1.2 R2.2 C1.1,\n"
                                "\t C2.1\n"
                                "GND;  J1.6 C1.2 J2.2 C2.2\n"
                                "OUT;  J2.1 R3.2\n"
                                "N00001;  U1.3 U1.9\n"
                                "N00002;  U1.6 U1.10\n"
                                "N00003;  R3.1 U1.8\n"
                                "$END\n"));
}

// The coordinates of the second sheet are shifted by (6000, 4000), those of
// the first by (3000, 2000). The wires on which R1 and R2 end are
// cut there.
TEST_F(Example, LongListing) {
    RunResult result = run({"-l"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
    EXPECT_EQ(result.out, lines("\n"
                                "#PartList\n"
                                "\n"
                                "J1:\tCONN6\n"
                                "R1:\tRES\n"
                                "R2:\tRES\n"
                                "C1:\tCAP\n"
                                "J2:\tCONN2\n"
                                "U1(1/4):\t7400\n"
                                "U1(2/4):\t7400\n"
                                "U1(3/4):\t7400\n"
                                "R3:\tRES\n"
                                "C2:\tCAP\n"
                                "\n"
                                "#NetList\n"
                                "\n"
                                "D0\n"
                                "{\n"
                                "\tJ1:\tCONN6 [2]\t<(3210,2310)>\n"
                                "\tR1:\tRES [1]\t<(3560,2420)>\n"
                                "\tU1(1/4):\t7400 [1(A)]\t<(6350,4270)>\n"
                                "\t\tWire\t\t<(3210,2310) - (3560,2310)>\n"
                                "\t\tWire\t\t<(3560,2310) - (3560,2420)>\n"
                                "\t\tWire\t\t<(3560,2420) - (3560,2490)>\n"
                                "\t\tWire\t\t<(6300,4110) - (6300,4270)>\n"
                                "\t\tWire\t\t<(6300,4270) - (6350,4270)>\n"
                                "}\n"
                                "D1\n"
                                "{\n"
                                "\tJ1:\tCONN6 [3]\t<(3210,2330)>\n"
                                "\tR2:\tRES [1]\t<(3480,2440)>\n"
                                "\tU1(1/4):\t7400 [2(B)]\t<(6350,4290)>\n"
                                "\t\tWire\t\t<(3210,2330) - (3480,2330)>\n"
                                "\t\tWire\t\t<(3480,2330) - (3480,2440)>\n"
                                "\t\tWire\t\t<(3480,2440) - (3480,2490)>\n"
                                "\t\tWire\t\t<(6270,4110) - (6270,4290)>\n"
                                "\t\tWire\t\t<(6270,4290) - (6350,4290)>\n"
                                "}\n"
                                "D2\n"
                                "{\n"
                                "\tJ1:\tCONN6 [4]\t<(3210,2350)>\n"
                                "\tU1(2/4):\t7400 [4(A)]\t<(6350,4370)>\n"
                                "\t\tWire\t\t<(3210,2350) - (3400,2350)>\n"
                                "\t\tWire\t\t<(3400,2350) - (3400,2490)>\n"
                                "\t\tWire\t\t<(6240,4110) - (6240,4370)>\n"
                                "\t\tWire\t\t<(6240,4370) - (6350,4370)>\n"
                                "}\n"
                                "D3\n"
                                "{\n"
                                "\tJ1:\tCONN6 [5]\t<(3210,2370)>\n"
                                "\tU1(2/4):\t7400 [5(B)]\t<(6350,4390)>\n"
                                "\t\tWire\t\t<(3210,2370) - (3320,2370)>\n"
                                "\t\tWire\t\t<(3320,2370) - (3320,2490)>\n"
                                "\t\tWire\t\t<(6210,4110) - (6210,4390)>\n"
                                "\t\tWire\t\t<(6210,4390) - (6350,4390)>\n"
                                "}\n"
                                "VCC\n"
                                "{\n"
                                "\tJ1:\tCONN6 [1]\t<(3210,2290)>\n"
                                "\tR1:\tRES [2]\t<(3620,2420)>\n"
                                "\tR2:\tRES [2]\t<(3540,2440)>\n"
                                "\tC1:\tCAP [1]\t<(3700,2220)>\n"
                                "\tC2:\tCAP [1]\t<(6800,4220)>\n"
                                "\t\tWire\t\t<(3210,2290) - (3260,2290)>\n"
                                "}\n"
                                "GND\n"
                                "{\n"
                                "\tJ1:\tCONN6 [6]\t<(3210,2390)>\n"
                                "\tC1:\tCAP [2]\t<(3700,2260)>\n"
                                "\tJ2:\tCONN2 [2]\t<(3810,2610)>\n"
                                "\tC2:\tCAP [2]\t<(6800,4260)>\n"
                                "\t\tWire\t\t<(3210,2390) - (3240,2390)>\n"
                                "}\n"
                                "OUT\n"
                                "{\n"
                                "\tJ2:\tCONN2 [1]\t<(3810,2600)>\n"
                                "\tR3:\tRES [2]\t<(6660,4330)>\n"
                                "\t\tWire\t\t<(3810,2600) - (3900,2600)>\n"
                                "\t\tWire\t\t<(6660,4330) - (6720,4330)>\n"
                                "}\n"
                                "{\n"
                                "\tU1(1/4):\t7400 [3(Y)]\t<(6410,4280)>\n"
                                "\tU1(3/4):\t7400 [9(A)]\t<(6490,4320)>\n"
                                "\t\tWire\t\t<(6410,4280) - (6450,4280)>\n"
                                "\t\tWire\t\t<(6450,4280) - (6450,4320)>\n"
                                "\t\tWire\t\t<(6450,4320) - (6490,4320)>\n"
                                "}\n"
                                "{\n"
                                "\tU1(2/4):\t7400 [6(Y)]\t<(6410,4380)>\n"
                                "\tU1(3/4):\t7400 [10(B)]\t<(6490,4340)>\n"
                                "\t\tWire\t\t<(6410,4380) - (6470,4380)>\n"
                                "\t\tWire\t\t<(6470,4340) - (6470,4380)>\n"
                                "\t\tWire\t\t<(6470,4340) - (6490,4340)>\n"
                                "}\n"
                                "{\n"
                                "\tR3:\tRES [1]\t<(6600,4330)>\n"
                                "\tU1(3/4):\t7400 [8(Y)]\t<(6550,4330)>\n"
                                "\t\tWire\t\t<(6550,4330) - (6600,4330)>\n"
                                "}\n"
                                "\n"
                                "#End\n"));
}

} // namespace
} // namespace dovla::testing
