#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "check_board.h"

// The SARIF log of check: what review services read of it, and a real
// validator's verdict on it.
namespace dovla::sheettool::testing {
namespace {

using nlohmann::json;

// The validator's errors on a log, by the rules of SARIF 2.1.0 and those of
// the most used review service: none when it is valid.
std::vector<std::string> validatorErrors(TempDir& dir, const std::string& log) {
#ifdef SARIF_VALIDATOR
    dir.write("validated.sarif", log);
    dovla::testing::RunResult run = dovla::testing::runCommand(
        {SARIF_VALIDATOR, "validate", "validated.sarif", "-o", "verdict.sarif", "--log",
         "ForceOverwrite", "--rule-kind", "Sarif;Gh"},
        dir.path());
    std::vector<std::string> errors;
    const json verdict = json::parse(dovla::testing::readFile(dir.file("verdict.sarif")));
    for (const json& result : verdict["runs"][0]["results"]) {
        if (result.value("level", "warning") == "error")
            errors.push_back(result["ruleId"].get<std::string>() + " " + result["message"].dump());
    }
    if (run.status != 0)
        errors.push_back("the validator ended with " + std::to_string(run.status) + ": " + run.err);
    return errors;
#else
    (void)dir;
    (void)log;
    std::fprintf(stderr, "no SARIF validator (scripts/install-sarif-validator.sh): the log's "
                         "shape is checked, its validity is not\n");
    return {};
#endif
}

TEST_F(CheckBoard, TheSarifLogIsValidAndHoldsWhatTheReviewNeeds) {
    sheet("board.sch", board(0, 0, tags));
    dir.write("w.txt", "lonely-pin U1.6  # NC\nlonely-pin U1.5  # gone\n");
    RunResult run = tool({"check", "board.sch", "--sarif", "--waivers", "w.txt", "--severity",
                          "unused-name=ignore", "--severity", "open-wire-end=info"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(validatorErrors(dir, run.out), std::vector<std::string>{});

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
        // Every rule index names its rule.
        EXPECT_EQ(rules[result["ruleIndex"].get<std::size_t>()]["id"], result["ruleId"]);
        results.push_back(result["ruleId"].get<std::string>() + " " +
                          result["level"].get<std::string>() + " " +
                          result["partialFingerprints"]["waiver/v1"].get<std::string>() + " " +
                          std::to_string(result["suppressions"].size()));
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
    EXPECT_EQ(location["physicalLocation"]["region"]["message"]["text"], "sheet 1 at 530,370");
    EXPECT_EQ(location["logicalLocations"][0]["name"], "sheet 1");
    EXPECT_EQ(waived["properties"], json::parse(R"({"sheet":1,"x":530,"y":370,
                                                    "subjects":["U1.6"]})"));
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
        EXPECT_EQ(validatorErrors(dir, run.out), std::vector<std::string>{});
        const std::string uri = json::parse(run.out)["runs"][0]["artifacts"][0]["location"]["uri"];
        const std::string relative = "a%20b%23%25%E9.sch";
        EXPECT_EQ(uri, path[0] == '/' ? "file://" + dir.path() + "/" + relative : relative);
    }
}

} // namespace
} // namespace dovla::sheettool::testing
