// The review page of sheettool diff in headless Chromium, on revisions of a
// two-sheet board: a moved pin, an added part, a merge, a split, a pin
// disconnected, a library pin renamed, a re-annotation and a pure redraw. The list must be the text
// report line for line; each #change=N must open that change on its sheet
// with both sides zoomed to it and what it names lit; what changed must be
// marked in its colour, and a redraw not at all. The screenshots are kept
// in view-screenshots of the build.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "browser.h"
#include "diff_designs.h"
#include "sheettool_fixture.h"

namespace dovla::sheettool::testing {
namespace {

using nlohmann::json;

struct ReviewCase {
    const char* name;
    std::string newOne, newTwo; // the new revision's sheets
    std::string newLibrary;     // empty: the old one
    // A mark "kind:element" that the opened page must show on one side
    // ("old" or "new"), and with `alone` not on the other; empty for none.
    std::string side, mark;
    bool alone = false;
    // The start of a line the report must have: the case is what it says.
    std::string line;
    // What the detail of some change must tell, its table's cells run
    // together ("U2.3IN2IN2": U2.3 on IN2 before and after).
    std::string detail;
};

void PrintTo(const ReviewCase& c, std::ostream* out) {
    *out << c.name;
}

class ReviewInBrowser : public ::testing::TestWithParam<ReviewCase> {
  protected:
    void SetUp() override {
        if (chromium.missing())
            GTEST_SKIP() << noChromium;
        const ReviewCase& revision = GetParam();
        // The new revision reads the library of its own where it has one.
        build("parts.lib", "library.txt", partsLibrary);
        dir.write("old.ini", std::string("[Library]\nLIB0=parts.lib\n"));
        const bool ownLibrary = !revision.newLibrary.empty();
        if (ownLibrary)
            build("renamed.lib", "renamed.txt", revision.newLibrary);
        dir.write("new.ini", "[Library]\nLIB0=" +
                                 std::string(ownLibrary ? "renamed.lib" : "parts.lib") + "\n");
        build("old.sch", "old.txt", "sheet-file\n" + sheetOne + sheetTwo);
        build("new.sch", "new.txt", "sheet-file\n" + revision.newOne + revision.newTwo);
    }

    void build(const std::string& file, const std::string& text, const std::string& content) {
        dir.write(text, content);
        RunResult built = runTool({"build", text, "-o", file}, dir.path());
        ASSERT_EQ(built.status, 0) << built.err;
    }

    RunResult diff(std::vector<std::string> more) {
        std::vector<std::string> command = {"diff",    "old.sch",      "new.sch", "--old-config",
                                            "old.ini", "--new-config", "new.ini"};
        command.insert(command.end(), more.begin(), more.end());
        return runTool(command, dir.path());
    }

    Chromium chromium;
    TempDir dir;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

bool has(const json& list, const std::string& what) {
    for (const json& item : list) {
        if (item == what)
            return true;
    }
    return false;
}

TEST_P(ReviewInBrowser, ListsEveryLineAndShowsEachChangeOnBothSides) {
    RunResult text = diff({});
    ASSERT_LE(text.status, 1) << text.err;
    RunResult page = diff({"--html", "-o", "page.html"});
    ASSERT_EQ(page.status, text.status) << page.err;
    EXPECT_EQ(page.out, "");
    json results = chromium.drive(dir, "changes");
    ASSERT_TRUE(results["error"].is_null()) << results["error"];

    // The list is the report's lines, one for one, after its header.
    std::vector<std::string> lines = linesOf(text.out);
    if (!lines.empty())
        lines.erase(lines.begin());
    const std::string& expectedLine = GetParam().line;
    EXPECT_EQ(expectedLine.empty(), lines.empty()) << text.out;
    if (!expectedLine.empty()) {
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.rfind(expectedLine, 0) == 0;
        })) << text.out;
    }
    ASSERT_EQ(results["entries"].size(), lines.size()) << text.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(results["entries"][i]["text"], lines[i]);
        EXPECT_EQ(results["entries"][i]["change"], i + 1);
    }

    const json& opened = results["opened"];
    const ReviewCase& revision = GetParam();
    if (revision.mark.empty()) {
        EXPECT_EQ(opened["marks"], json::array({0, 0})) << "a redraw marks nothing";
        EXPECT_FALSE(opened["sides"]["old"]["greyed"]);
        EXPECT_FALSE(opened["sides"]["new"]["greyed"]);
    } else {
        const std::string other = revision.side == "old" ? "new" : "old";
        EXPECT_TRUE(has(opened["sides"][revision.side]["marked"], revision.mark))
            << opened["sides"][revision.side]["marked"];
        if (revision.alone) {
            EXPECT_FALSE(has(opened["sides"][other]["marked"], revision.mark))
                << opened["sides"][other]["marked"];
        }
        EXPECT_TRUE(opened["sides"][revision.side]["greyed"]);
    }

    // Each change by its address: its sheet, its place in view on both
    // sides (one view box), what it names lit on a side.
    const std::regex place(R"(\(sheet (\d+) at (-?\d+),(-?\d+)\)$)");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const json& step = results["steps"][i];
        SCOPED_TRACE(lines[i]);
        EXPECT_EQ(step["change"], std::to_string(i + 1));
        EXPECT_EQ(step["hash"], "#change=" + std::to_string(i + 1));
        ASSERT_TRUE(step["detail"].is_string());
        EXPECT_NE(step["detail"].get<std::string>().find(
                      lines[i].substr(lines[i].find_first_not_of(' '))),
                  std::string::npos);
        std::smatch at;
        if (std::regex_search(lines[i], at, place)) {
            EXPECT_EQ(step["sheet"], std::stoi(at[1]));
            const double x = std::stod(at[2]), y = std::stod(at[3]);
            const json& view = step["view"];
            EXPECT_TRUE(
                x >= view[0].get<double>() && x <= view[0].get<double>() + view[2].get<double>() &&
                y >= view[1].get<double>() && y <= view[1].get<double>() + view[3].get<double>())
                << view;
        }
        // A library pin's change lights that pin of each part placed (one
        // on the sheet here), not the others.
        if (lines[i].rfind("library part MCU4: pin 1 ", 0) == 0) {
            for (const char* side : {"old", "new"}) {
                const json& chosen = step["sides"][side]["chosen"];
                EXPECT_EQ(std::count(chosen.begin(), chosen.end(), "pin"), 1) << side << chosen;
            }
        }
        const bool namesNothing = results["entries"][i]["group"] == "Configuration" ||
                                  lines[i].rfind("pins not compared", 0) == 0;
        if (!namesNothing) {
            EXPECT_GT(step["sides"]["old"]["chosen"].size() + step["sides"]["new"]["chosen"].size(),
                      0u);
        }
    }

    if (!revision.detail.empty()) {
        bool told = false;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const json& detail = results["steps"][i]["detail"];
            told = told || (detail.is_string() &&
                            detail.get<std::string>().find(revision.detail) != std::string::npos);
        }
        EXPECT_TRUE(told) << revision.detail;
    }
    if (lines.size() > 1) {
        EXPECT_EQ(results["steps"][lines.size()]["change"], "2") << "n steps to the next";
        EXPECT_EQ(results["steps"][lines.size() + 1]["change"], std::to_string(lines.size()))
            << "p from the first steps round to the last";
    }
    EXPECT_EQ(results["layout"]["layout"], "overlaid");
    EXPECT_EQ(results["layout"]["stored"], "overlaid");
    EXPECT_EQ(results["layout"]["shown"], json::array({"none", "flex"}));
    EXPECT_EQ(results["layout"]["swapped"], json::array({"flex", "none"}));

    // The wheel zooms both sides as one; a click on a marked pin or body
    // chooses a change.
    const json& wheel = results["wheel"];
    EXPECT_NE(wheel["before"], wheel["after"]);
    ASSERT_EQ(wheel["sides"].size(), 2u);
    EXPECT_EQ(wheel["sides"][0], wheel["sides"][1]);
    if (revision.mark.empty()) {
        EXPECT_TRUE(results["clicked"].is_null());
    } else {
        ASSERT_TRUE(results["clicked"].is_object());
        EXPECT_NE(results["clicked"]["change"], "") << results["clicked"]["what"];
    }

    Screenshot shot;
    EXPECT_TRUE(chromium.screenshot(dir, "file://" + dir.file("page.html") + "#change=1", 1400, 800,
                                    std::string("review-") + revision.name + ".png", shot));
}

INSTANTIATE_TEST_SUITE_P(
    Revisions, ReviewInBrowser,
    ::testing::Values(
        ReviewCase{"MovedPin", sheetOne, crossedOver, "", "new", "mark-changed:pin", false,
                   "pin moved: U3.1 from IN2 to RET2", "U3.1IN2RET2U2.3IN2IN2"},
        ReviewCase{"AddedPart", sheetOne,
                   sheetTwo + "part at=700,300 ref=\"D2\" name=\"LED\" lib=\"LED\"\n", "", "new",
                   "mark-added:body", true, "part added: D2 LED", "1A(no net)"},
        // LEDA's wire runs on to the end of RET's.
        ReviewCase{"Merge",
                   sheetOne + "wire from=600,290 to=600,260\nwire from=460,260 to=600,260\n"
                              "junction at=460,260\n",
                   sheetTwo, "", "old", "mark-changed:label-text", false,
                   "nets merged: LEDA into RET", "D1.2RETRET"},
        // D1's anode keeps a wire of its own, short of LEDA's.
        ReviewCase{
            "Split",
            replaced(sheetOne, "wire from=460,260 to=460,290", "wire from=460,270 to=460,290"),
            sheetTwo, "", "new", "mark-changed:wire", false, "net split: LEDA into LEDA, D1.1",
            "D1.1LEDAD1.1"},
        ReviewCase{"Disconnected", replaced(sheetOne, "wire from=460,260 to=460,290\n", ""),
                   sheetTwo, "", "new", "mark-changed:pin", false,
                   "pin disconnected: D1.1 from LEDA", "D1.1LEDA(no net)"},
        ReviewCase{"LibraryPinRenamed", sheetOne, sheetTwo,
                   replaced(partsLibrary, "name=\"PA0\"", "name=\"RX\""), "new",
                   "mark-changed:body", false, "library part MCU4: pin 1 renamed PA0 -> RX",
                   "1PA0RX"},
        ReviewCase{"Reannotated", replaced(sheetOne, "ref=\"D1\"", "ref=\"D7\""), sheetTwo, "",
                   "new", "mark-changed:body", false, "part renamed: D1 -> D7", "D7 LED"},
        ReviewCase{"Redraw",
                   replaced(sheetOne, "wire from=510,290 to=600,290\nlabel at=560,290",
                            "wire from=510,290 to=650,290\nlabel at=620,290"),
                   sheetTwo, "", "", "", false, "", ""}),
    [](const ::testing::TestParamInfo<ReviewCase>& info) { return info.param.name; });

} // namespace
} // namespace dovla::sheettool::testing
