#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "design_texts.h"

// The findings that show what the net list hides, each on a sheet that has
// it, in text and in JSON.
namespace dovla::sheettool::testing {
namespace {

struct FindingCase {
    const char* name;
    std::string sheet;
    const char* kind;
    std::string line; // the finding, as check writes it
};

void PrintTo(const FindingCase& c, std::ostream* out) {
    *out << c.name;
}

class Findings : public DesignTexts, public ::testing::WithParamInterface<FindingCase> {};

TEST_P(Findings, AreListedWithTheirSheetAndPlace) {
    sheet("a.sch", "sheet code=4\n" + GetParam().sheet);
    RunResult text = tool({"check", "a.sch"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err, "");
    std::vector<std::string> lines = splitText(text.out);
    EXPECT_NE(std::find(lines.begin(), lines.end(), GetParam().line), lines.end()) << text.out;

    RunResult json = tool({"check", "a.sch", "--json"});
    EXPECT_EQ(json.status, 1);
    const nlohmann::json findings = nlohmann::json::parse(json.out)["findings"];
    ASSERT_EQ(findings.size(), lines.size());
    bool found = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string message = lines[i].substr(lines[i].find(": ", lines[i].find(" at ")) + 2);
        EXPECT_EQ(findings[i]["message"], message);
        found |= findings[i]["kind"] == GetParam().kind && lines[i] == GetParam().line;
    }
    EXPECT_TRUE(found) << json.out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Findings,
    ::testing::Values(
        // A tag at a bus end that a wire also touches: the wire, and the pin
        // at its other end, join the bus group.
        FindingCase{"PinLeftOut",
                    "bus from=100,500 to=300,500\n"
                    "tag at=300,500 text=\"T\"\n"
                    "wire from=320,500 to=400,500\n"
                    "part at=450,510 ref=\"R1\" name=\"RES\" lib=\"RES\"\n",
                    "pin-left-out",
                    "a.sch: sheet 1 at 400,500: pin R1 RES [1] is left out of the net list: its "
                    "net was merged into a bus group"},
        // VCC wired to GND.
        FindingCase{"PowerShort",
                    "part at=210,290 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                    "part at=310,330 ref=\"\" name=\"GND\" lib=\"GND\"\n"
                    "wire from=200,300 to=300,300\n",
                    "power-short",
                    "a.sch: sheet 1 at 200,300: short: the net joins the power names \"GND\", "
                    "\"VCC\""},
        // Two parts R5 whose pins 2 go to different nets.
        FindingCase{"PinOnTwoNets",
                    "part at=200,110 ref=\"R5\" name=\"RES\" lib=\"RES\"\n"
                    "part at=400,110 ref=\"R6\" name=\"RES\" lib=\"RES\"\n"
                    "wire from=210,100 to=350,100\n"
                    "part at=200,310 ref=\"R5\" name=\"RES\" lib=\"RES\"\n"
                    "part at=400,310 ref=\"R7\" name=\"RES\" lib=\"RES\"\n"
                    "wire from=210,300 to=350,300\n",
                    "pin-on-two-nets",
                    "a.sch: sheet 1 at 210,300: pin R5.2 is on two nets: \"R5.2\" and "
                    "\"R5.2#2\""},
        FindingCase{"ReferenceOnTwoParts",
                    "part at=200,110 ref=\"R8\" name=\"RES\" lib=\"RES\"\n"
                    "part at=400,310 ref=\"R8\" name=\"CAP\" lib=\"CAP\"\n",
                    "reference-on-two-parts",
                    "a.sch: sheet 1 at 400,310: reference R8 is given to two parts: \"RES\" and "
                    "\"CAP\""}),
    [](const ::testing::TestParamInfo<FindingCase>& info) { return std::string(info.param.name); });

// Whole reports at the boundaries of the checks: what each must find, where
// it points, and what it must leave alone.
struct ReportCase {
    const char* name;
    std::string sheet;
    std::string report; // all that check writes
};

void PrintTo(const ReportCase& c, std::ostream* out) {
    *out << c.name;
}

class CheckReport : public DesignTexts, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(CheckReport, IsExactlyThis) {
    sheet("c.sch", "sheet code=4\n" + GetParam().sheet);
    RunResult run = tool({"check", "c.sch"});
    EXPECT_EQ(run.out, GetParam().report);
    EXPECT_EQ(run.status, GetParam().report.empty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckReport,
    ::testing::Values(
        // The 7400 has four blocks: block 4 is placed, block 5 is not; two
        // blocks of one part under one reference are one part.
        ReportCase{"BlocksAtTheBoundary",
                   "part at=300,300 ref=\"U1\" name=\"7400\" lib=\"7400\" block=3\n"
                   "part at=500,300 ref=\"U2\" name=\"7400\" lib=\"7400\" block=4\n"
                   "part at=700,300 ref=\"U3\" name=\"7400\" lib=\"7400\"\n"
                   "part at=900,300 ref=\"U3\" name=\"7400\" lib=\"7400\" block=1\n",
                   "c.sch: sheet 1 at 250,270: pin U1(4/4) 7400 [12(A)] belongs to no net\n"
                   "c.sch: sheet 1 at 250,290: pin U1(4/4) 7400 [13(B)] belongs to no net\n"
                   "c.sch: sheet 1 at 310,280: pin U1(4/4) 7400 [11(Y)] belongs to no net\n"
                   "c.sch: sheet 1 at 650,270: pin U3(1/4) 7400 [1(A)] belongs to no net\n"
                   "c.sch: sheet 1 at 650,290: pin U3(1/4) 7400 [2(B)] belongs to no net\n"
                   "c.sch: sheet 1 at 710,280: pin U3(1/4) 7400 [3(Y)] belongs to no net\n"
                   "c.sch: sheet 1 at 850,270: pin U3(2/4) 7400 [4(A)] belongs to no net\n"
                   "c.sch: sheet 1 at 850,290: pin U3(2/4) 7400 [5(B)] belongs to no net\n"
                   "c.sch: sheet 1 at 910,280: pin U3(2/4) 7400 [6(Y)] belongs to no net\n"
                   "c.sch: sheet 1 at 500,300: part U2 7400: block 5 of a part with 4 blocks\n"},
        // Two pins make a net that is not lonely; pins of parts without a
        // reference on different nets are not one pin on two nets.
        ReportCase{"PinsThatAreNotFaults",
                   "part at=200,610 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                   "part at=400,610 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                   "wire from=210,600 to=350,600\n"
                   "part at=200,810 ref=\"\" name=\"RES\" lib=\"RES\"\n"
                   "part at=400,810 ref=\"\" name=\"RES\" lib=\"RES\"\n"
                   "wire from=210,800 to=350,800\n"
                   "part at=200,1010 ref=\"\" name=\"RES\" lib=\"RES\"\n"
                   "part at=400,1010 ref=\"\" name=\"RES\" lib=\"RES\"\n"
                   "wire from=210,1000 to=350,1000\n",
                   "c.sch: sheet 1 at 150,600: pin R1 RES [1] belongs to no net\n"
                   "c.sch: sheet 1 at 410,600: pin R2 RES [2] belongs to no net\n"
                   "c.sch: sheet 1 at 150,800: pin RES [1] belongs to no net\n"
                   "c.sch: sheet 1 at 410,800: pin RES [2] belongs to no net\n"
                   "c.sch: sheet 1 at 150,1000: pin RES [1] belongs to no net\n"
                   "c.sch: sheet 1 at 410,1000: pin RES [2] belongs to no net\n"},
        // Two names on one net: reported where the second is.
        ReportCase{"TwoNamesAtTheSecond",
                   "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                   "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                   "wire from=210,100 to=350,100\n"
                   "label at=250,100 text=\"X\"\n"
                   "label at=300,100 text=\"Y\"\n",
                   "c.sch: sheet 1 at 150,100: pin R1 RES [1] belongs to no net\n"
                   "c.sch: sheet 1 at 410,100: pin R2 RES [2] belongs to no net\n"
                   "c.sch: sheet 1 at 300,100: net carries 2 names: \"X\", \"Y\"\n"},
        // An entry whose second end is the last point of a vertical bus,
        // and a wire that ends on an entry's free end, are connected.
        ReportCase{"EntriesAtTheEndOfAVerticalBus",
                   "bus from=500,100 to=500,400\n"
                   "bus-entry at=490,410\n"
                   "bus-entry at=500,100\n"
                   "wire from=400,300 to=510,90\n",
                   "c.sch: sheet 1 at 400,300: wire end touches nothing\n"}),
    [](const ::testing::TestParamInfo<ReportCase>& info) { return std::string(info.param.name); });

// The shipped example has none of them.
TEST_F(DesignTexts, TheShippedExampleHasNoFindings) {
    dir.write("demo.sch.txt",
              dovla::testing::readFile(std::string(EXAMPLE_SOURCE_DIR) + "/demo.sch.txt"));
    ASSERT_EQ(tool({"build", "demo.sch.txt", "-o", "demo.sch"}).status, 0);
    RunResult run = tool({"check", "demo.sch", "--json"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(nlohmann::json::parse(run.out)["findings"], nlohmann::json::array());
}

} // namespace
} // namespace dovla::sheettool::testing
