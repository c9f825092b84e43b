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

// A net of twenty names, two of them drawn twice: more than a net's names
// are looked along, so the later ones are found by the index.
std::string twentyNames() {
    std::string text = "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                       "wire from=210,100 to=450,100\n";
    const std::vector<int> names = {1,  2,  3,  4,  5,  6,  7,  8, 9,  10, 11,
                                    12, 13, 14, 15, 16, 17, 18, 3, 19, 18, 20};
    for (std::size_t i = 0; i < names.size(); ++i)
        text += "label at=" + std::to_string(220 + 10 * i) + ",100 text=\"N" +
                std::to_string(names[i]) + "\"\n";
    return text;
}

std::string twentyNamesLine() {
    std::string names;
    for (int n = 1; n <= 20; ++n)
        names += (n > 1 ? ", \"N" : "\"N") + std::to_string(n) + "\"";
    return "a.sch: sheet 1 at 230,100: warning: net carries 20 names: " + names + " [two-names]";
}

TEST_P(Findings, AreListedWithTheirSheetAndPlace) {
    sheet("a.sch", "sheet code=4\n" + GetParam().sheet);
    RunResult text = tool({"check", "a.sch", "--fail-on", "info"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err, "");
    std::vector<std::string> lines = splitText(withoutReadLine(text.out));
    EXPECT_NE(std::find(lines.begin(), lines.end(), GetParam().line), lines.end()) << text.out;

    // The JSON holds the same findings, in the same order; the text's last
    // line is its summary.
    RunResult json = tool({"check", "a.sch", "--json", "--fail-on", "info"});
    EXPECT_EQ(json.status, 1);
    const nlohmann::json findings = nlohmann::json::parse(json.out)["findings"];
    ASSERT_EQ(findings.size() + 1, lines.size());
    bool found = false;
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const nlohmann::json& f = findings[i];
        std::string shown =
            "a.sch: sheet " + std::to_string(f["sheet"].get<int>()) + " at " +
            std::to_string(f["at"][0].get<int>()) + "," + std::to_string(f["at"][1].get<int>()) +
            ": " + f["severity"].get<std::string>() + ": " + f["message"].get<std::string>() +
            " [" + f["kind"].get<std::string>() + "]";
        EXPECT_EQ(shown, lines[i]);
        found |= f["kind"] == GetParam().kind && lines[i] == GetParam().line;
    }
    EXPECT_TRUE(found) << json.out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Findings,
    ::testing::Values(
        // A tag at a bus end that a wire also touches: the wire, and the pin
        // at its other end, join the bus group.
        FindingCase{
            "PinLeftOut",
            "bus from=100,500 to=300,500\n"
            "tag at=300,500 text=\"T\"\n"
            "wire from=320,500 to=400,500\n"
            "part at=450,510 ref=\"R1\" name=\"RES\" lib=\"RES\"\n",
            "pin-left-out",
            "a.sch: sheet 1 at 400,500: error: pin R1 RES [1] is left out of the net list: its "
            "net was merged into a bus group [pin-left-out]"},
        // VCC wired to GND.
        FindingCase{
            "PowerShort",
            "part at=210,290 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
            "part at=310,330 ref=\"\" name=\"GND\" lib=\"GND\"\n"
            "wire from=200,300 to=300,300\n",
            "power-short",
            "a.sch: sheet 1 at 250,300: error: short: the net joins the power names \"GND\", "
            "\"VCC\" [power-short]"},
        // Two parts R5 whose pins 2 go to different nets.
        FindingCase{"PinOnTwoNets",
                    "part at=200,110 ref=\"R5\" name=\"RES\" lib=\"RES\"\n"
                    "part at=400,110 ref=\"R6\" name=\"RES\" lib=\"RES\"\n"
                    "wire from=210,100 to=350,100\n"
                    "part at=200,310 ref=\"R5\" name=\"RES\" lib=\"RES\"\n"
                    "part at=400,310 ref=\"R7\" name=\"RES\" lib=\"RES\"\n"
                    "wire from=210,300 to=350,300\n",
                    "pin-on-two-nets",
                    "a.sch: sheet 1 at 210,300: error: pin R5.2 is on two nets: \"R5.2\" and "
                    "\"R5.2#2\" [pin-on-two-nets]"},
        FindingCase{
            "ReferenceOnTwoParts",
            "part at=200,110 ref=\"R8\" name=\"RES\" lib=\"RES\"\n"
            "part at=400,310 ref=\"R8\" name=\"CAP\" lib=\"CAP\"\n",
            "reference-on-two-parts",
            "a.sch: sheet 1 at 400,310: error: reference R8 is given to two parts: \"RES\" and "
            "\"CAP\" [reference-on-two-parts]"},
        // A wire drawn onto the middle of a bus, without an entry.
        FindingCase{
            "WireOnBus",
            "bus from=100,500 to=300,500\n"
            "wire from=200,500 to=200,400\n"
            "part at=250,410 ref=\"R1\" name=\"RES\" lib=\"RES\"\n",
            "wire-on-bus",
            "a.sch: sheet 1 at 200,500: warning: wire end lies on a bus without a bus entry: "
            "it is not joined to the bus [wire-on-bus]"},
        // The last point of a vertical bus: a bus takes no wire there
        // either.
        FindingCase{
            "WireOnTheEndOfAVerticalBus",
            "bus from=500,100 to=500,400\n"
            "wire from=500,400 to=600,400\n"
            "part at=650,410 ref=\"R1\" name=\"RES\" lib=\"RES\"\n",
            "wire-on-bus",
            "a.sch: sheet 1 at 500,400: warning: wire end lies on a bus without a bus entry: "
            "it is not joined to the bus [wire-on-bus]"},
        FindingCase{"SinglePinNet",
                    "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                    "wire from=210,100 to=300,100\n",
                    "single-pin-net",
                    "a.sch: sheet 1 at 210,100: warning: pin R1 RES [2] is the only pin of its net "
                    "[single-pin-net]"},
        // A tag whose name no other item carries joins nothing, whatever
        // its net holds.
        FindingCase{"TagUsedOnce",
                    "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                    "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                    "wire from=210,100 to=350,100\n"
                    "wire from=300,100 to=300,200\n"
                    "tag at=300,200 text=\"CLK\"\n",
                    "name-used-once",
                    "a.sch: sheet 1 at 300,200: warning: tag \"CLK\" joins nothing: no other item "
                    "carries its name [name-used-once]"},
        // A label only names: used once on a net of one pin, it is a name
        // that was meant to join.
        FindingCase{
            "LabelUsedOnce",
            "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
            "wire from=210,100 to=300,100\n"
            "label at=250,100 text=\"RST\"\n",
            "name-used-once",
            "a.sch: sheet 1 at 250,100: warning: label \"RST\" joins nothing: no other item "
            "carries its name and its net has 1 pin [name-used-once]"},
        FindingCase{"NameOnSeparateNets",
                    "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                    "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                    "wire from=210,100 to=350,100\n"
                    "label at=250,100 text=\"EN\"\n"
                    "sheet code=4\n"
                    "part at=200,310 ref=\"R3\" name=\"RES\" lib=\"RES\"\n"
                    "part at=400,310 ref=\"R4\" name=\"RES\" lib=\"RES\"\n"
                    "wire from=210,300 to=350,300\n"
                    "label at=250,300 text=\"EN\"\n"
                    "label at=300,300 text=\"EN\"\n",
                    "name-on-separate-nets",
                    "a.sch: sheet 2 at 250,300: warning: name \"EN\" is on 2 nets that are not "
                    "joined: net \"EN[R1.2]\" (sheet 1 at 250,100), net \"EN[R3.2]\" (sheet 2 at "
                    "250,300; sheet 2 at 300,300) [name-on-separate-nets]"},
        // A wire labelled GND is not the ground of the power symbols.
        FindingCase{"LabelNamedLikeAPowerName",
                    "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                    "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                    "wire from=210,100 to=350,100\n"
                    "label at=250,100 text=\"GND\"\n"
                    "part at=600,330 ref=\"\" name=\"GND\" lib=\"GND\"\n"
                    "part at=200,410 ref=\"R3\" name=\"RES\" lib=\"RES\"\n"
                    "wire from=210,400 to=590,400\n"
                    "wire from=590,400 to=590,300\n",
                    "name-on-separate-nets",
                    "a.sch: sheet 1 at 590,300: warning: name \"GND\" is on 2 nets that are not "
                    "joined: net \"GND[R1.2]\" (sheet 1 at 250,100), net \"GND[R3.2]\" (sheet 1 at "
                    "590,300) [name-on-separate-nets]"},
        // Two ground symbols wired together are one place of the name: the
        // first of them in the net.
        FindingCase{"PowerNameOnSeparateNets",
                    "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                    "wire from=210,100 to=350,100\n"
                    "label at=250,100 text=\"GND\"\n"
                    "part at=600,330 ref=\"\" name=\"GND\" lib=\"GND\"\n"
                    "part at=700,330 ref=\"\" name=\"GND\" lib=\"GND\"\n"
                    "wire from=590,300 to=690,300\n",
                    "name-on-separate-nets",
                    "a.sch: sheet 1 at 690,300: warning: name \"GND\" is on 2 nets that are not "
                    "joined: net \"GND[R1.2]\" (sheet 1 at 250,100), net \"GND[@1:590,300]\" "
                    "(sheet 1 at 690,300) [name-on-separate-nets]"},
        // VCC and GND joined by two tags of one name on two sheets: the
        // short is in the middle of the way between them.
        FindingCase{"PowerShortThroughTags",
                    "part at=210,290 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                    "wire from=200,300 to=300,300\n"
                    "tag at=300,300 text=\"X\"\n"
                    "sheet code=4\n"
                    "part at=210,330 ref=\"\" name=\"GND\" lib=\"GND\"\n"
                    "wire from=200,300 to=300,300\n"
                    "tag at=300,300 text=\"X\"\n",
                    "power-short",
                    "a.sch: sheet 1 at 300,300: error: short: the net joins the power names "
                    "\"VCC\", \"GND\" [power-short]"},
        FindingCase{"TwentyNamesEachOnce", twentyNames(), "two-names", twentyNamesLine()},
        FindingCase{"UnusedBlocks",
                    "part at=400,300 ref=\"U1\" name=\"7400\" lib=\"7400\" block=2\n",
                    "unused-blocks",
                    "a.sch: sheet 1 at 400,300: info: part U1 7400: blocks not placed: U1(1/4), "
                    "U1(2/4), U1(4/4) [unused-blocks]"}),
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
    EXPECT_EQ(withoutReadLine(run.out), GetParam().report);
    // Warnings and info do not fail a run unless asked to.
    EXPECT_EQ(run.status, GetParam().report.find(": error: ") != std::string::npos ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckReport,
    ::testing::Values(
        // Ground symbols dropped on the supply on two sheets: one net, two
        // places, each its own short, so that mending one leaves the other
        // in the report.
        ReportCase{"EveryShortAtItsPlace",
                   "part at=210,290 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                   "wire from=200,300 to=300,300\n"
                   "part at=350,310 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                   "part at=210,330 ref=\"\" name=\"GND\" lib=\"GND\"\n"
                   "sheet code=4\n"
                   "part at=210,290 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                   "wire from=200,300 to=300,300\n"
                   "part at=350,310 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                   "part at=310,330 ref=\"\" name=\"GND\" lib=\"GND\"\n",
                   "c.sch: sheet 1 at 360,300: warning: pin R1 RES [2] belongs to no net "
                   "[lonely-pin]\n"
                   "c.sch: sheet 1 at 300,300: warning: pin R1 RES [1] is the only pin of its net "
                   "[single-pin-net]\n"
                   "c.sch: sheet 1 at 200,300: warning: wire end touches items but is joined to "
                   "none of them [open-wire-end]\n"
                   "c.sch: sheet 1 at 200,300: error: short: the net joins the power names "
                   "\"VCC\", \"GND\" [power-short]\n"
                   "c.sch: sheet 2 at 360,300: warning: pin R2 RES [2] belongs to no net "
                   "[lonely-pin]\n"
                   "c.sch: sheet 2 at 250,300: error: short: the net joins the power names "
                   "\"VCC\", \"GND\" [power-short]\n"
                   "c.sch: 2 errors, 4 warnings, 0 info, 0 waived; ignored: none; fails on: "
                   "error\n"},
        // One ground symbol at the junction of two supply wires, each with
        // its own VCC symbol: one bridge, one short.
        ReportCase{"OneBridgeIsOneShort",
                   "part at=210,290 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                   "wire from=200,300 to=300,300\n"
                   "junction at=300,300\n"
                   "part at=310,330 ref=\"\" name=\"GND\" lib=\"GND\"\n"
                   "wire from=300,300 to=400,300\n"
                   "part at=410,290 ref=\"\" name=\"VCC\" lib=\"VCC\"\n",
                   "c.sch: sheet 1 at 250,300: error: short: the net joins the power names "
                   "\"GND\", \"VCC\" [power-short]\n"
                   "c.sch: 1 error, 0 warnings, 0 info, 0 waived; ignored: none; fails on: "
                   "error\n"},
        // A ground symbol between a supply and another (each name with two
        // sides of its own further on): a short with each; along the chain,
        // a short at each contact.
        ReportCase{"ABridgeBetweenTwoSuppliesIsTwoShorts",
                   "part at=110,290 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                   "wire from=100,300 to=200,300\n"
                   "junction at=200,300\n"
                   "part at=210,330 ref=\"\" name=\"GND\" lib=\"GND\"\n"
                   "wire from=200,300 to=300,300\n"
                   "junction at=300,300\n"
                   "part at=310,290 ref=\"\" name=\"VCC5\" lib=\"VCC\"\n"
                   "wire from=300,300 to=400,300\n"
                   "junction at=400,300\n"
                   "part at=410,290 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                   "wire from=400,300 to=500,300\n"
                   "part at=510,290 ref=\"\" name=\"VCC5\" lib=\"VCC\"\n",
                   "c.sch: sheet 1 at 150,300: error: short: the net joins the power names "
                   "\"GND\", \"VCC\" [power-short]\n"
                   "c.sch: sheet 1 at 250,300: error: short: the net joins the power names "
                   "\"GND\", \"VCC5\" [power-short]\n"
                   "c.sch: sheet 1 at 350,300: error: short: the net joins the power names "
                   "\"VCC\", \"VCC5\" [power-short]\n"
                   "c.sch: sheet 1 at 450,300: error: short: the net joins the power names "
                   "\"VCC\", \"VCC5\" [power-short]\n"
                   "c.sch: 4 errors, 0 warnings, 0 info, 0 waived; ignored: none; fails on: "
                   "error\n"},
        // The 7400 has four blocks: block 4 is placed, block 5 is not; two
        // blocks of one part under one reference are one part.
        ReportCase{
            "BlocksAtTheBoundary",
            "part at=300,300 ref=\"U1\" name=\"7400\" lib=\"7400\" block=3\n"
            "part at=500,300 ref=\"U2\" name=\"7400\" lib=\"7400\" block=4\n"
            "part at=700,300 ref=\"U3\" name=\"7400\" lib=\"7400\"\n"
            "part at=900,300 ref=\"U3\" name=\"7400\" lib=\"7400\" block=1\n",
            "c.sch: sheet 1 at 250,270: warning: pin U1(4/4) 7400 [12(A)] belongs to no net "
            "[lonely-pin]\n"
            "c.sch: sheet 1 at 250,290: warning: pin U1(4/4) 7400 [13(B)] belongs to no net "
            "[lonely-pin]\n"
            "c.sch: sheet 1 at 310,280: warning: pin U1(4/4) 7400 [11(Y)] belongs to no net "
            "[lonely-pin]\n"
            "c.sch: sheet 1 at 650,270: warning: pin U3(1/4) 7400 [1(A)] belongs to no net "
            "[lonely-pin]\n"
            "c.sch: sheet 1 at 650,290: warning: pin U3(1/4) 7400 [2(B)] belongs to no net "
            "[lonely-pin]\n"
            "c.sch: sheet 1 at 710,280: warning: pin U3(1/4) 7400 [3(Y)] belongs to no net "
            "[lonely-pin]\n"
            "c.sch: sheet 1 at 850,270: warning: pin U3(2/4) 7400 [4(A)] belongs to no net "
            "[lonely-pin]\n"
            "c.sch: sheet 1 at 850,290: warning: pin U3(2/4) 7400 [5(B)] belongs to no net "
            "[lonely-pin]\n"
            "c.sch: sheet 1 at 910,280: warning: pin U3(2/4) 7400 [6(Y)] belongs to no net "
            "[lonely-pin]\n"
            "c.sch: sheet 1 at 500,300: error: part U2 7400: block 5 of a part with 4 blocks "
            "[bad-block]\n"
            "c.sch: sheet 1 at 300,300: info: part U1 7400: blocks not placed: U1(1/4), "
            "U1(2/4), U1(3/4) [unused-blocks]\n"
            "c.sch: sheet 1 at 700,300: info: part U3 7400: blocks not placed: U3(3/4), "
            "U3(4/4) [unused-blocks]\n"
            "c.sch: 1 error, 9 warnings, 2 info, 0 waived; ignored: none; fails on: error\n"},
        // Two pins make a net that is not lonely; pins of parts without a
        // reference on different nets are not one pin on two nets.
        ReportCase{
            "PinsThatAreNotFaults",
            "part at=200,610 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
            "part at=400,610 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
            "wire from=210,600 to=350,600\n"
            "part at=200,810 ref=\"\" name=\"RES\" lib=\"RES\"\n"
            "part at=400,810 ref=\"\" name=\"RES\" lib=\"RES\"\n"
            "wire from=210,800 to=350,800\n"
            "part at=200,1010 ref=\"\" name=\"RES\" lib=\"RES\"\n"
            "part at=400,1010 ref=\"\" name=\"RES\" lib=\"RES\"\n"
            "wire from=210,1000 to=350,1000\n",
            "c.sch: sheet 1 at 150,600: warning: pin R1 RES [1] belongs to no net [lonely-pin]\n"
            "c.sch: sheet 1 at 410,600: warning: pin R2 RES [2] belongs to no net [lonely-pin]\n"
            "c.sch: sheet 1 at 150,800: warning: pin RES [1] belongs to no net [lonely-pin]\n"
            "c.sch: sheet 1 at 410,800: warning: pin RES [2] belongs to no net [lonely-pin]\n"
            "c.sch: sheet 1 at 150,1000: warning: pin RES [1] belongs to no net [lonely-pin]\n"
            "c.sch: sheet 1 at 410,1000: warning: pin RES [2] belongs to no net [lonely-pin]\n"
            "c.sch: 0 errors, 6 warnings, 0 info, 0 waived; ignored: none; fails on: error\n"},
        // Two names on one net: reported where the second is.
        ReportCase{
            "TwoNamesAtTheSecond",
            "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
            "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
            "wire from=210,100 to=350,100\n"
            "label at=250,100 text=\"X\"\n"
            "label at=300,100 text=\"Y\"\n",
            "c.sch: sheet 1 at 150,100: warning: pin R1 RES [1] belongs to no net [lonely-pin]\n"
            "c.sch: sheet 1 at 410,100: warning: pin R2 RES [2] belongs to no net [lonely-pin]\n"
            "c.sch: sheet 1 at 300,100: warning: net carries 2 names: \"X\", \"Y\" [two-names]\n"
            "c.sch: 0 errors, 3 warnings, 0 info, 0 waived; ignored: none; fails on: error\n"},
        // An entry whose second end is the last point of a vertical bus,
        // and a wire that ends on an entry's free end, are connected.
        ReportCase{
            "EntriesAtTheEndOfAVerticalBus",
            "bus from=500,100 to=500,400\n"
            "bus-entry at=490,410\n"
            "bus-entry at=500,100\n"
            "wire from=400,300 to=510,90\n",
            "c.sch: sheet 1 at 400,300: warning: wire end touches nothing [open-wire-end]\n"
            "c.sch: 0 errors, 1 warning, 0 info, 0 waived; ignored: none; fails on: error\n"}),
    [](const ::testing::TestParamInfo<ReportCase>& info) { return std::string(info.param.name); });

// The shipped example has none of them but its spare gate.
TEST_F(DesignTexts, TheShippedExampleHasOnlyItsSpareGate) {
    dir.write("demo.sch.txt",
              dovla::testing::readFile(std::string(EXAMPLE_SOURCE_DIR) + "/demo.sch.txt"));
    ASSERT_EQ(tool({"build", "demo.sch.txt", "-o", "demo.sch"}).status, 0);
    RunResult run = tool({"check", "demo.sch", "--json"});
    EXPECT_EQ(run.status, 0);
    const nlohmann::json findings = nlohmann::json::parse(run.out)["findings"];
    ASSERT_EQ(findings.size(), 1u) << run.out;
    EXPECT_EQ(findings[0]["kind"], "unused-blocks");
    EXPECT_EQ(findings[0]["subjects"], nlohmann::json::array({"U1"}));
}

// One reference on two library parts of several blocks: the blocks of the
// other part take none of the first's.
TEST_F(DesignTexts, BlocksOfAnotherPartUnderTheReferenceAreNotPlaced) {
    dir.write("gates.lib.txt", "library-file\nheader\n"
                               "part name=\"7402\" width=4 height=4 blocks=2\n"
                               "  pin side=left offset=1 numbers=1,4 name=\"A\"\n"
                               "  pin side=right offset=2 numbers=3,6 name=\"Y\"\n");
    ASSERT_EQ(tool({"build", "gates.lib.txt", "-o", "gates.lib"}).status, 0);
    dir.write("TAVEL.INI", "[Library]\nLIB0=basic.lib\nLIB1=logic.lib\nLIB2=gates.lib\n");
    sheet("a.sch", "sheet code=4\n"
                   "part at=400,300 ref=\"U1\" name=\"7400\" lib=\"7400\"\n"
                   "part at=600,300 ref=\"U1\" name=\"7402\" lib=\"7402\" block=1\n");
    const std::string out = tool({"check", "a.sch"}).out;
    EXPECT_NE(out.find("a.sch: sheet 1 at 400,300: info: part U1 7400: blocks not placed: "
                       "U1(2/4), U1(3/4), U1(4/4) [unused-blocks]\n"),
              std::string::npos)
        << out;
}

} // namespace
} // namespace dovla::sheettool::testing
