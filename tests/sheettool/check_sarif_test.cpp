#include <nlohmann/json.hpp>

#include <set>
#include <string>
#include <vector>

#include "check_board.h"
#include "sarif_soundness.h"

// The SARIF log of check: what review services read of it, and a real
// validator's verdict on it.
namespace dovla::sheettool::testing {
namespace {

using nlohmann::json;

TEST_F(CheckBoard, TheSarifLogIsValidAndHoldsWhatTheReviewNeeds) {
    sheet("board.sch", board(0, 0, tags));
    dir.write("w.txt", "lonely-pin U1.6  # NC\nlonely-pin U1.5  # gone\n");
    RunResult run = tool({"check", "board.sch", "--sarif", "--waivers", "w.txt", "--severity",
                          "unused-name=ignore", "--severity", "open-wire-end=info"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sarifFaults(dir, run.out, dir.file("board.sch")), std::vector<std::string>{});

    const json log = json::parse(run.out);
    EXPECT_EQ(log["version"], "2.1.0");
    const json& sarifRun = log["runs"][0];
    const json& rules = sarifRun["tool"]["driver"]["rules"];
    ASSERT_EQ(rules.size(), 17u);
    EXPECT_EQ(rules[0]["id"], "lonely-pin");
    EXPECT_EQ(sarifRun["invocations"][0]["ruleConfigurationOverrides"],
              json::parse(R"([{"descriptor":{"id":"open-wire-end","index":3},
                                "configuration":{"level":"note"}},
                               {"descriptor":{"id":"unused-name","index":5},
                                "configuration":{"enabled":false}}])"));
    std::vector<std::string> results;
    for (const json& result : sarifRun["results"]) {
        results.push_back(result["ruleId"].get<std::string>() + " " +
                          result["level"].get<std::string>() + " " +
                          result["partialFingerprints"]["waiver/v1"].get<std::string>() + " " +
                          std::to_string(result.value("suppressions", json::array()).size()));
    }
    EXPECT_EQ(results, (std::vector<std::string>{
                           "lonely-pin warning lonely-pin U1.6 1",
                           "lonely-pin warning lonely-pin U1.8 0",
                           "lonely-pin warning lonely-pin U1.12 0",
                           "single-pin-net warning single-pin-net U1.11 0",
                           "open-wire-end note open-wire-end U1.11 0",
                           "stale-waiver warning stale-waiver lonely-pin U1.5 0",
                       }));
    const json& waived = sarifRun["results"][0];
    EXPECT_EQ(waived["message"]["text"],
              "pin U1 MCU16 [6(NC)] belongs to no net (sheet 1 at 530,370)");
    EXPECT_EQ(waived["suppressions"][0]["justification"], "NC");
    EXPECT_EQ(waived["suppressions"][0]["location"]["physicalLocation"]["region"]["startLine"], 1);
    const json& location = waived["locations"][0];
    EXPECT_EQ(location["physicalLocation"]["artifactLocation"]["uri"], "board.sch");
    EXPECT_EQ(location["logicalLocations"][0]["name"], "sheet 1 at 530,370");
    const json& stale = sarifRun["results"].back();
    EXPECT_EQ(stale["locations"][0]["physicalLocation"]["artifactLocation"]["uri"], "w.txt");
    EXPECT_EQ(stale["locations"][0]["physicalLocation"]["region"]["startLine"], 2);
}

// Paths of any bytes become URIs that validate: relative ones stay
// relative, absolute ones are file: URIs.
TEST_F(CheckBoard, SheetPathsBecomeUris) {
    sheet("a b#%\xe9.sch", board());
    for (const std::string& path : {std::string("a b#%\xe9.sch"), dir.file("a b#%\xe9.sch")}) {
        RunResult run = tool({"check", path, "--sarif"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(sarifFaults(dir, run.out, dir.file("a b#%\xe9.sch")), std::vector<std::string>{});
        const std::string uri = json::parse(run.out)["runs"][0]["artifacts"][0]["location"]["uri"];
        const std::string relative = "a%20b%23%25%E9.sch";
        EXPECT_EQ(uri, path[0] == '/' ? "file://" + dir.path() + "/" + relative : relative);
    }
}

// Each result points at the bytes of the record that draws its item, on
// every sheet: a piece of a wire that the joining cut at a junction at the
// record of the wire as drawn, a pin at its part's record, a label, a bus
// entry and a short between two power symbols at theirs; the records of
// sheet 2 lie behind records that make no item, 90,000 bytes of them,
// and those of sheet 1 behind 66,000 bytes of junctions.
TEST_F(DesignTexts, EachResultPointsAtTheRecordOfItsItem) {
    const std::string page = "wire from=100,100 to=300,100\n"
                             "wire from=200,100 to=200,200\n"
                             "junction at=200,100\n"
                             "label at=250,100 text=\"SPARE\"\n"
                             "part at=510,310 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                             "bus-entry at=700,700 attr=wire-entry\n"
                             "part at=210,590 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                             "wire from=200,600 to=300,600\n"
                             "part at=310,630 ref=\"\" name=\"GND\" lib=\"GND\"\n"
                             "part at=900,900 ref=\"U9\" name=\"NOPE\" lib=\"NOPE\"\n";
    // Records the reader skips unread, longer together than its buffer.
    std::string skipped;
    for (int i = 0; i < 3; ++i)
        skipped +=
            "extension type=16 length=30000 data=" + std::string(2 * (30000 - 14), '0') + "\n";
    // Records read before sheet 1's items, longer together than the buffer.
    std::string junctions;
    for (int i = 0; i < 11000; ++i)
        junctions += "junction at=" + std::to_string(1000 + i % 100 * 10) + "," +
                     std::to_string(1000 + i / 100 * 10) + "\n";
    sheet("d.sch", "sheet code=4\n" + junctions + page + skipped +
                       "sheet code=4\nrecord4 bytes=000000000000000000\n" + page);
    RunResult run = tool({"check", "d.sch", "--sarif"});
    ASSERT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(sarifFaults(dir, run.out, dir.file("d.sch")), std::vector<std::string>{});
    std::set<std::string> kinds;
    const json log = json::parse(run.out);
    for (const json& result : log["runs"][0]["results"])
        kinds.insert(
            result["ruleId"].get<std::string>() + " " +
            result["locations"][0]["logicalLocations"][0]["name"].get<std::string>().substr(0, 7));
    EXPECT_EQ(kinds, (std::set<std::string>{"lonely-pin sheet 1", "lonely-pin sheet 2",
                                            "name-on-separate-nets sheet 2",
                                            "open-bus-entry sheet 1", "open-bus-entry sheet 2",
                                            "open-wire-end sheet 1", "open-wire-end sheet 2",
                                            "power-short sheet 1", "power-short sheet 2",
                                            "unknown-part sheet 1", "unknown-part sheet 2"}));
}

} // namespace
} // namespace dovla::sheettool::testing
