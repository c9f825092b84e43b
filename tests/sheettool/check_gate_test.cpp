#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "check_board.h"
#include "sarif_soundness.h"

// check as a team uses it in continuous integration: levels, the failing
// level, waivers that outlive a redraw, and the reports that say what they
// left out.
namespace dovla::sheettool::testing {
namespace {

using nlohmann::json;

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The review of the board: its slips found, mended, the rest accepted, the
// acceptance kept through a redraw and lost where the design changes.
TEST_F(CheckBoard, GatesTheBoardThroughItsReview) {
    sheet("board.sch", board());
    RunResult before = tool({"check", "board.sch", "--fail-on", "warning"});
    EXPECT_EQ(before.status, 1);
    EXPECT_EQ(before.err, "");
    EXPECT_NE(before.out.find("board.sch: sheet 1 at 930,340: warning: name \"TX\" is on 2 nets "
                              "that are not joined: net \"TX[U1.9]\" (sheet 1 at 650,340), net "
                              "\"TX[J1.1]\" (sheet 1 at 930,340) [name-on-separate-nets]\n"),
              std::string::npos)
        << before.out;
    EXPECT_EQ(countOf(before.out, "[name-used-once]"), 2u) << before.out;
    // What the report was made with is said, so that a blind run is told apart.
    EXPECT_NE(before.out.find("board.sch: read with TAVEL.INI: basic.lib, logic.lib, mcu.lib\n"),
              std::string::npos)
        << before.out;
    EXPECT_NE(before.out.find("board.sch: 0 errors, 16 warnings, 0 info, 0 waived; ignored: none; "
                              "fails on: warning\n"),
              std::string::npos);
    // Warnings fail nothing by default.
    EXPECT_EQ(tool({"check", "board.sch"}).status, 0);

    // Tags mend the serial lines; the free pins are accepted.
    sheet("board.sch", board(0, 0, tags));
    RunResult baseline =
        tool({"check", "board.sch", "--fail-on", "warning", "--write-waivers", "waivers.txt"});
    EXPECT_EQ(baseline.status, 1);
    const std::string waivers = dovla::testing::readFile(dir.file("waivers.txt"));
    EXPECT_NE(waivers.find("\nlonely-pin U1.6  # pin U1 MCU16 [6(NC)] belongs to no net\n"),
              std::string::npos)
        << waivers;
    EXPECT_EQ(waivers.find("TX"), std::string::npos) << waivers;
    RunResult waived =
        tool({"check", "board.sch", "--fail-on", "info", "--waivers", "waivers.txt"});
    EXPECT_EQ(waived.status, 0) << waived.out;
    EXPECT_EQ(withoutReadLine(waived.out),
              "board.sch: 0 errors, 0 warnings, 0 info, 5 waived; ignored: none; "
              "fails on: info\n");

    // A redraw: everything 120 to the right and 40 down.
    sheet("board.sch", board(120, 40, tags));
    RunResult redrawn =
        tool({"check", "board.sch", "--fail-on", "info", "--waivers", "waivers.txt"});
    EXPECT_EQ(redrawn.status, 0) << redrawn.out;
    EXPECT_EQ(redrawn.out, waived.out);

    // A change: the LED pin wired to PA1, which leaves two waivers
    // without their findings, and VCC wired to ground.
    sheet("board.sch", board(0, 0,
                             tags + "wire from=640,360 to=640,330\n"
                                    "wire from=640,330 to=610,330\n"
                                    "junction at=640,330\n"
                                    "wire from=440,320 to=440,360\n"));
    RunResult changed =
        tool({"check", "board.sch", "--waivers", "waivers.txt", "--json", "-o", "report.json"});
    EXPECT_EQ(changed.status, 1);
    const json report = json::parse(dovla::testing::readFile(dir.file("report.json")));
    EXPECT_TRUE(report["fails"]);
    EXPECT_EQ(report["counts"], json::parse(R"({"error":1,"warning":6,"info":0,"waived":2})"))
        << report["findings"].dump(1);
    std::vector<std::string> stale;
    for (const json& waiver : report["staleWaivers"])
        stale.push_back(waiver["kind"].get<std::string>() + " " +
                        waiver["subjects"][0].get<std::string>());
    EXPECT_EQ(stale, (std::vector<std::string>{"lonely-pin U1.8", "single-pin-net U1.11",
                                               "open-wire-end U1.11"}));
    const json& shortFinding = report["findings"].back();
    EXPECT_EQ(shortFinding["kind"], "power-short");
    // Reported on the wire that joins the two, not on a pin of either.
    EXPECT_EQ(shortFinding["at"], json::parse("[440,340]"));
    EXPECT_FALSE(shortFinding["waived"]);
}

// The lines of a text report that a baseline did not accept: every finding
// line, without the closing count.
std::vector<std::string> findingLines(const std::string& report) {
    std::vector<std::string> lines = splitText(withoutReadLine(report));
    if (!lines.empty())
        lines.pop_back();
    return lines;
}

// The board's lines in another order, each wire drawn from its other end:
// the same drawing, saved anew.
std::string resaved(const std::string& text) {
    std::vector<std::string> lines = splitText(text);
    std::string out = lines.front() + "\n";
    for (std::size_t i = lines.size(); i-- > 1;) {
        std::smatch wire;
        if (std::regex_match(lines[i], wire, std::regex("wire from=(\\S+) to=(\\S+)")))
            out += "wire from=" + wire[2].str() + " to=" + wire[1].str() + "\n";
        else
            out += lines[i] + "\n";
    }
    return out;
}

// A baseline accepts the findings it was written for and no other: a new
// dangling wire, a second wire stopping on a bus, and a name on a third net
// each fail the gate, while the same drawing saved anew passes it.
TEST_F(CheckBoard, ABaselineAcceptsOnlyTheFindingsItWasWrittenFor) {
    const std::string extras = "wire from=300,600 to=340,600\n"
                               "bus from=300,700 to=500,700\n"
                               "wire from=400,700 to=400,650\n"
                               "part at=470,450 ref=\"\" name=\"GND\" lib=\"GND\"\n";
    const std::string first = board() + extras;
    sheet("board.sch", first);
    const std::vector<std::string> gate = {"check",   "board.sch", "--fail-on",
                                           "warning", "--waivers", "waivers.txt"};
    RunResult baseline = tool({"check", "board.sch", "--write-waivers", "waivers.txt"});
    EXPECT_EQ(baseline.err, "");
    const std::size_t accepted = findingLines(baseline.out).size();
    RunResult clean = tool(gate);
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_EQ(withoutReadLine(clean.out), "board.sch: 0 errors, 0 warnings, 0 info, " +
                                              std::to_string(accepted) +
                                              " waived; ignored: none; fails on: warning\n");

    sheet("board.sch", resaved(first));
    EXPECT_EQ(tool(gate).out, clean.out);

    sheet("board.sch", first + "wire from=800,700 to=880,700\n"
                               "wire from=450,700 to=450,660\n"
                               "label at=450,350 text=\"TX\"\n");
    RunResult revised = tool(gate);
    EXPECT_EQ(revised.status, 1);
    EXPECT_EQ(findingLines(revised.out),
              (std::vector<std::string>{
                  "board.sch: sheet 1 at 800,700: warning: wire end touches nothing "
                  "[open-wire-end]",
                  "board.sch: sheet 1 at 880,700: warning: wire end touches nothing "
                  "[open-wire-end]",
                  "board.sch: sheet 1 at 450,660: warning: wire end touches nothing "
                  "[open-wire-end]",
                  "board.sch: sheet 1 at 450,700: warning: wire end lies on a bus without a bus "
                  "entry: it is not joined to the bus [wire-on-bus]",
                  "board.sch: sheet 1 at 930,340: warning: name \"TX\" is on 3 nets that are not "
                  "joined: net \"TX[U1.9]\" (sheet 1 at 650,340), net \"TX[J1.1]\" (sheet 1 at "
                  "930,340), net \"TX[U1.4]\" (sheet 1 at 450,350) [name-on-separate-nets]",
                  "waivers.txt:22: warning: waiver matches no finding: name-on-separate-nets TX "
                  "TX[U1.9] TX[J1.1] [stale-waiver]"}))
        << revised.out;

    // The SARIF log of the gate shows the same six, each its own result,
    // and the waived ones suppressed.
    std::vector<std::string> sarifGate = gate;
    sarifGate.push_back("--sarif");
    RunResult log = tool(sarifGate);
    EXPECT_EQ(log.status, 1);
    EXPECT_EQ(sarifFaults(dir, log.out, dir.file("board.sch")), std::vector<std::string>{});
    const nlohmann::json results = nlohmann::json::parse(log.out)["runs"][0]["results"];
    EXPECT_EQ(std::count_if(
                  results.begin(), results.end(),
                  [](const nlohmann::json& result) { return !result.contains("suppressions"); }),
              6);
}

// Waivers written before each finding had a key of its own still load; those
// whose key named every finding of a kind match none, and say why.
TEST_F(CheckBoard, WaiversOfAnOlderShapeGoStaleWithAHint) {
    sheet("board.sch", board() + "wire from=300,600 to=340,600\n");
    dir.write("waivers.txt", std::string("lonely-pin U1.6\n"
                                         "open-wire-end \"sheet 1\"\n"
                                         "name-on-separate-nets TX\n"
                                         "open-wire-end U1.11\n"));
    RunResult run = tool({"check", "board.sch", "--waivers", "waivers.txt", "--fail-on", "never"});
    EXPECT_EQ(run.status, 0);
    const std::string hint = " (a key of an older sheettool that names no single finding: write "
                             "it again with --write-waivers) [stale-waiver]\n";
    EXPECT_NE(run.out.find("waivers.txt:2: warning: waiver matches no finding: open-wire-end "
                           "\"sheet 1\"" +
                           hint),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("waivers.txt:3: warning: waiver matches no finding: "
                           "name-on-separate-nets TX" +
                           hint),
              std::string::npos)
        << run.out;
    EXPECT_EQ(countOf(run.out, "[stale-waiver]"), 2u) << run.out;
    EXPECT_EQ(countOf(run.out, "at 300,600: warning: wire end touches nothing"), 1u) << run.out;
    EXPECT_EQ(countOf(run.out, "at 340,600: warning: wire end touches nothing"), 1u) << run.out;
}

struct LevelCase {
    const char* name;
    std::vector<std::string> options;
    int status;
    std::string summary; // the text report's last line
};

void PrintTo(const LevelCase& c, std::ostream* out) {
    *out << c.name;
}

class CheckLevels : public DesignTexts, public ::testing::WithParamInterface<LevelCase> {};

// A design with a warning (a pin in no net, three of them) and an info
// (the free blocks of U1), no error.
TEST_P(CheckLevels, DecideTheStatusAndAreStated) {
    sheet("d.sch", "sheet code=4\npart at=400,300 ref=\"U1\" name=\"7400\" lib=\"7400\"\n");
    std::vector<std::string> arguments = {"check", "d.sch"};
    arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
    RunResult run = tool(arguments);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, GetParam().status) << run.out;
    std::vector<std::string> lines = splitText(withoutReadLine(run.out));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), GetParam().summary);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckLevels,
    ::testing::Values(
        LevelCase{"ErrorByDefault",
                  {},
                  0,
                  "d.sch: 0 errors, 3 warnings, 1 info, 0 waived; ignored: none; fails on: error"},
        LevelCase{
            "Warning",
            {"--fail-on", "warning"},
            1,
            "d.sch: 0 errors, 3 warnings, 1 info, 0 waived; ignored: none; fails on: warning"},
        LevelCase{"Info",
                  {"--fail-on=info"},
                  1,
                  "d.sch: 0 errors, 3 warnings, 1 info, 0 waived; ignored: none; fails on: info"},
        LevelCase{"Never",
                  {"--fail-on", "never", "--severity", "lonely-pin=error"},
                  0,
                  "d.sch: 3 errors, 0 warnings, 1 info, 0 waived; ignored: none; fails on: never"},
        LevelCase{"RaisedToError",
                  {"--severity", "unused-blocks=error"},
                  1,
                  "d.sch: 1 error, 3 warnings, 0 info, 0 waived; ignored: none; fails on: error"},
        LevelCase{
            "LoweredBelowTheLevel",
            {"--severity", "lonely-pin=info", "--fail-on", "warning"},
            0,
            "d.sch: 0 errors, 0 warnings, 4 info, 0 waived; ignored: none; fails on: warning"},
        LevelCase{"Ignored",
                  {"--severity", "lonely-pin=ignore", "--severity=unused-blocks=ignore",
                   "--fail-on", "info"},
                  0,
                  "d.sch: 0 errors, 0 warnings, 0 info, 0 waived; ignored: lonely-pin, "
                  "unused-blocks; fails on: info"}),
    [](const ::testing::TestParamInfo<LevelCase>& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    std::vector<std::string> options;
    std::string waivers; // the text of w.txt
    std::string message; // on the standard error
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.name;
}

class CheckRefusals : public DesignTexts, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CheckRefusals, EndWithTroubleAndWriteNothing) {
    sheet("d.sch", "sheet code=4\npart at=400,300 ref=\"U1\" name=\"7400\" lib=\"7400\"\n");
    dir.write("w.txt", GetParam().waivers);
    std::vector<std::string> arguments = {"check", "d.sch", "--write-waivers", "out.txt"};
    arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
    RunResult run = tool(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    // A bad command line is followed by the way to the help.
    EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), GetParam().message);
    EXPECT_FALSE(std::ifstream(dir.file("out.txt")).good());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckRefusals,
    ::testing::Values(
        RefusalCase{"UnknownCheck",
                    {"--severity", "lonely-pins=error"},
                    "",
                    "sheettool: --severity: unknown check: lonely-pins\n"},
        RefusalCase{
            "UnknownLevel",
            {"--severity", "lonely-pin=fatal"},
            "",
            "sheettool: --severity: unknown level: fatal (error, warning, info or ignore)\n"},
        RefusalCase{"NoLevel",
                    {"--severity", "lonely-pin"},
                    "",
                    "sheettool: --severity: takes TYPE=LEVEL: lonely-pin\n"},
        RefusalCase{
            "UnknownFailingLevel",
            {"--fail-on", "ignore"},
            "",
            "sheettool: --fail-on: unknown level: ignore (error, warning, info or never)\n"},
        RefusalCase{"MissingArgument",
                    {"--fail-on"},
                    "",
                    "sheettool: --fail-on: 1 required LEVEL missing\n"},
        RefusalCase{
            "TwoReports", {"--json", "--sarif"}, "", "sheettool: --json excludes --sarif\n"},
        RefusalCase{
            "NoWaiversFile", {"--waivers", "none.txt"}, "", "sheettool: can't open: none.txt\n"},
        RefusalCase{"WaiverOfNoCheck",
                    {"--waivers", "w.txt"},
                    "# ok\n\nlonly-pin U1.1\n",
                    "sheettool: w.txt:3: unknown check: lonly-pin\n"},
        RefusalCase{"WaiverOfNothing",
                    {"--waivers", "w.txt"},
                    "lonely-pin   # why\n",
                    "sheettool: w.txt:1: the waiver names what its finding is about\n"},
        RefusalCase{"UnendedQuote",
                    {"--waivers", "w.txt"},
                    "two-names \"A B\n",
                    "sheettool: w.txt:1: the quoted word does not end\n"},
        RefusalCase{"BadEscape",
                    {"--waivers", "w.txt"},
                    "two-names \"A\\q\"\n",
                    "sheettool: w.txt:1: unknown escape in a quoted word: \\\" \\\\ and \\xHH are "
                    "known\n"},
        RefusalCase{"QuoteInAWord",
                    {"--waivers", "w.txt"},
                    "two-names A\"B\n",
                    "sheettool: w.txt:1: a word holding '\"' or '\\' stands in double quotes\n"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// Names of any bytes go through a waivers file and back: the file written
// for a design accepts all of its findings, and a file kept up to date in
// place keeps the comments its team wrote.
TEST_F(DesignTexts, WaiversKeepNamesOfAnyBytesAndTheTeamsComments) {
    sheet("d.sch", "sheet code=4\n"
                   "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                   "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                   "wire from=210,100 to=350,100\n"
                   "label at=250,100 text=\"N#1\"\n"
                   "label at=300,100 text=\"#\\x22\\\\\\x0a\\xe9\"\n");
    ASSERT_EQ(tool({"check", "d.sch", "--write-waivers", "w.txt"}).status, 0);
    std::string written = dovla::testing::readFile(dir.file("w.txt"));
    EXPECT_NE(written.find("\ntwo-names \"#\\\"\\\\\\x0A\\xE9\" \"N#1\"  # net carries 2 names: "),
              std::string::npos)
        << written;
    dir.write("w.txt", written + "unused-name GONE  # kept for the next revision\n");
    written = dovla::testing::readFile(dir.file("w.txt"));
    std::string edited = std::regex_replace(written, std::regex("  # net carries[^\n]*"),
                                            "  # both names are wanted");
    dir.write("w.txt", edited);
    RunResult run = tool({"check", "d.sch", "--fail-on", "info", "--waivers", "w.txt",
                          "--write-waivers", "w.txt", "--severity", "unused-name=ignore"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(withoutReadLine(run.out),
              "d.sch: 0 errors, 0 warnings, 0 info, 3 waived; ignored: unused-name; "
              "fails on: info\n");
    // Rewritten with the team's comment, and the waiver of the ignored
    // check kept.
    EXPECT_EQ(dovla::testing::readFile(dir.file("w.txt")), edited);
}

// Findings alike in type and subjects are numbered apart: waivers match
// their subjects in any order, so subjects in another order are alike, but
// subjects that only run together into one text are not. Each baseline
// written accepts the run it was written for.
TEST_F(DesignTexts, FindingsAreAlikeByTypeAndSubjectsInAnyOrder) {
    struct Case {
        std::string design;
        std::vector<std::string> waivers; // lines the baseline holds
        bool numbered;                    // whether any waiver is numbered
    };
    const std::vector<Case> cases = {
        {"sheet code=4\n"
         "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
         "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
         "wire from=210,100 to=350,100\n"
         "label at=250,100 text=\"AB\"\n"
         "label at=300,100 text=\"C\"\n"
         "part at=200,310 ref=\"R3\" name=\"RES\" lib=\"RES\"\n"
         "part at=400,310 ref=\"R4\" name=\"RES\" lib=\"RES\"\n"
         "wire from=210,300 to=350,300\n"
         "label at=250,300 text=\"A\"\n"
         "label at=300,300 text=\"BC\"\n",
         {"two-names AB C  #", "two-names A BC  #"},
         false},
        {"sheet code=4\n"
         "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
         "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
         "wire from=210,100 to=350,100\n"
         "label at=250,100 text=\"A::B\"\n"
         "label at=300,100 text=\"C\"\n"
         "part at=200,310 ref=\"R3\" name=\"RES\" lib=\"RES\"\n"
         "part at=400,310 ref=\"R4\" name=\"RES\" lib=\"RES\"\n"
         "wire from=210,300 to=350,300\n"
         "label at=250,300 text=\"A\"\n"
         "label at=300,300 text=\"B::C\"\n",
         {"two-names A::B C  #", "two-names A B::C  #"},
         false},
        {"sheet code=4\n"
         "part at=200,110 ref=\"QA\" name=\"QB\" lib=\"QB\"\n"
         "part at=400,110 ref=\"QB\" name=\"QA\" lib=\"QA\"\n",
         {"unknown-part QA QB  #", "unknown-part QB QA (2)  #"},
         true},
    };
    for (const Case& c : cases) {
        sheet("d.sch", c.design);
        ASSERT_LE(tool({"check", "d.sch", "--write-waivers", "w.txt"}).status, 1);
        std::string written = dovla::testing::readFile(dir.file("w.txt"));
        for (const std::string& waiver : c.waivers)
            EXPECT_NE(written.find("\n" + waiver), std::string::npos) << written;
        EXPECT_EQ(written.find("(2)") != std::string::npos, c.numbered) << written;
        EXPECT_EQ(tool({"check", "d.sch", "--waivers", "w.txt"}).status, 0);
    }
}

// The shipped documentation lists every check with its level by default,
// as the program has them.
TEST_F(DesignTexts, TheDocumentedChecksAreThoseOfTheProgram) {
    sheet("d.sch", "sheet code=4\n");
    RunResult run = tool({"check", "d.sch", "--sarif"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sarifFaults(dir, run.out, dir.file("d.sch")), std::vector<std::string>{});
    std::vector<std::string> program;
    const json log = json::parse(run.out);
    for (const json& rule : log["runs"][0]["tool"]["driver"]["rules"]) {
        std::string level = rule["defaultConfiguration"]["level"];
        program.push_back(rule["id"].get<std::string>() + " " + (level == "note" ? "info" : level));
    }
    for (const char* doc : {"/sheettool-check.md", "/sheettool.1"}) {
        const std::string text = dovla::testing::readFile(std::string(SHEETTOOL_DOCS) + doc);
        const std::regex row(std::string(doc).back() == 'd'
                                 ? R"(\n\| `([a-z-]+)` \| (error|warning|info) \|)"
                                 : R"(\n\.TP\n\\fB([a-z\\-]+)\\fR \((error|warning|info)\))");
        std::vector<std::string> documented;
        for (std::sregex_iterator it(text.begin(), text.end(), row), end; it != end; ++it)
            documented.push_back(std::regex_replace((*it)[1].str(), std::regex(R"(\\-)"), "-") +
                                 " " + (*it)[2].str());
        EXPECT_EQ(documented, program) << doc;
    }
}

} // namespace
} // namespace dovla::sheettool::testing
