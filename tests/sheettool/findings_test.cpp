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
