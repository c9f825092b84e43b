#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "diff_designs.h"
#include "sheettool_fixture.h"
#include "view_page.h"

// What the review page of diff --html holds, read as its script reads it:
// the lines of the text report but its header, one change each, and what
// each names in either revision, found there under that revision's own
// names (a renamed part's pins under its old reference in the old one).
namespace dovla::sheettool::testing {
namespace {

using nlohmann::json;

struct PageCase {
    const char* name;
    std::string newOne, newTwo;
    std::string newConfig; // the new revision's TAVEL.INI; empty: the old one's
    // The starts of lines the report must have: the case is what it says.
    std::vector<std::string> lines;
};

void PrintTo(const PageCase& c, std::ostream* out) {
    *out << c.name;
}

class ReviewPage : public ::testing::TestWithParam<PageCase> {
  protected:
    void SetUp() override {
        write("parts.lib.txt", partsLibrary);
        ASSERT_EQ(tool({"build", "parts.lib.txt", "-o", "parts.lib"}).status, 0);
        dir.write("TAVEL.INI", std::string("[Library]\nLIB0=parts.lib\n"));
        build("old.sch", sheetOne + sheetTwo);
    }
    void write(const std::string& name, const std::string& text) { dir.write(name, text); }
    void build(const std::string& sheet, const std::string& text) {
        write(sheet + ".txt", "sheet-file\n" + text);
        RunResult built = tool({"build", sheet + ".txt", "-o", sheet});
        ASSERT_EQ(built.status, 0) << built.err;
    }
    RunResult tool(const std::vector<std::string>& arguments) {
        return runTool(arguments, dir.path());
    }
    TempDir dir;
};

// The design's JSON lists by the page's indices: a part's label, a net's
// key, a pin's key.
std::vector<std::string> named(const json& design, const json& names, const char* list) {
    std::vector<std::string> out;
    for (const json& index : names.value(list, json::array())) {
        const json& item = design[list][index.get<std::size_t>()];
        out.push_back(std::string(list) == "parts"  ? item["label"]
                      : std::string(list) == "nets" ? item["key"]
                                                    : item[0]);
    }
    return out;
}

TEST_P(ReviewPage, HoldsTheReportsLinesAndWhatEachNames) {
    const PageCase& revision = GetParam();
    build("new.sch", revision.newOne + revision.newTwo);
    std::vector<std::string> config;
    if (!revision.newConfig.empty()) {
        write("new.ini", revision.newConfig);
        config = {"--new-config", "new.ini"};
    }
    std::vector<std::string> text = {"diff", "old.sch", "new.sch"};
    text.insert(text.end(), config.begin(), config.end());
    std::vector<std::string> html = text;
    html.insert(html.end(), {"--html", "-o", "review.html"});
    RunResult report = tool(text);
    RunResult page = tool(html);
    ASSERT_EQ(page.status, report.status) << page.err;
    EXPECT_EQ(page.err, report.err);
    const json review = designOfPage(dir.read("review.html"), "review");
    ASSERT_EQ(review["files"].size(), 1u);
    const json& file = review["files"][0];
    std::string lines = report.out.empty() ? "" : "diff old.sch new.sch\n";
    for (const json& change : file["changes"])
        lines += change["text"].get<std::string>() + "\n";
    EXPECT_EQ(lines, report.out);
    for (const std::string& start : revision.lines)
        EXPECT_NE(report.out.find("\n" + start), std::string::npos) << start << "\n" << report.out;

    // A merge or split names the pins of the lines that follow it.
    const json& changes = file["changes"];
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const std::string line = changes[i]["text"];
        if (line.rfind("nets merged: ", 0) != 0 && line.rfind("net split: ", 0) != 0)
            continue;
        std::vector<std::string> pins;
        for (std::size_t j = i + 1; j < changes.size(); ++j) {
            const std::string pin = changes[j]["text"];
            if (pin.rfind("    ", 0) != 0)
                break;
            pins.push_back(pin.substr(4, pin.find(' ', 4) - 4));
        }
        EXPECT_EQ(named(file["new"], changes[i]["new"], "pins"), pins) << line;
    }

    // What each line names, in each revision's own terms.
    for (const json& change : file["changes"]) {
        const std::string line = change["text"];
        SCOPED_TRACE(line);
        const json& before = change["old"];
        const json& after = change["new"];
        auto starts = [&](const char* prefix) { return line.rfind(prefix, 0) == 0; };
        if (starts("part added:")) {
            EXPECT_EQ(change["kind"], "added");
            EXPECT_TRUE(before.empty());
            EXPECT_EQ(named(file["new"], after, "parts").size(), 1u);
        } else if (starts("part removed:")) {
            EXPECT_EQ(change["kind"], "removed");
            EXPECT_TRUE(after.empty());
            EXPECT_EQ(named(file["old"], before, "parts").size(), 1u);
        } else if (starts("part renamed: ")) {
            // "part renamed: OLD -> NEW ..."
            const std::size_t arrow = line.find(" -> ");
            const std::string was = line.substr(14, arrow - 14);
            const std::string is = line.substr(arrow + 4, line.find(' ', arrow + 4) - arrow - 4);
            EXPECT_EQ(named(file["old"], before, "parts"), std::vector<std::string>{was});
            EXPECT_EQ(named(file["new"], after, "parts"), std::vector<std::string>{is});
        } else if (starts("pin moved: ")) {
            // "pin moved: PIN from A to B ...": the pin under each side's
            // name for it, on each side's net.
            const std::string pin = line.substr(11, line.find(' ', 11) - 11);
            const std::size_t from = line.find(" from ") + 6;
            const std::size_t to = line.find(" to ", from);
            EXPECT_EQ(named(file["old"], before, "nets"),
                      std::vector<std::string>{line.substr(from, to - from)});
            EXPECT_EQ(named(file["new"], after, "pins"), std::vector<std::string>{pin});
            ASSERT_EQ(named(file["old"], before, "pins").size(), 1u);
            const std::string oldPin = named(file["old"], before, "pins")[0];
            EXPECT_EQ(oldPin.substr(oldPin.find('.')), pin.substr(pin.find('.')));
        } else if (starts("net removed: ")) {
            EXPECT_EQ(change["kind"], "removed");
            EXPECT_TRUE(after.empty());
            EXPECT_EQ(named(file["old"], before, "nets"),
                      std::vector<std::string>{line.substr(13, line.find(' ', 13) - 13)});
        } else if (starts("library part ")) {
            EXPECT_EQ(change["group"], "library");
            EXPECT_EQ(before.value("lib", ""), line.substr(13, line.find(':') - 13));
            EXPECT_EQ(after.value("lib", ""), before.value("lib", ""));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Revisions, ReviewPage,
    ::testing::Values(
        PageCase{"NoChange", sheetOne, sheetTwo, "", {}},
        // Another TAVEL.INI naming the same library: nothing to report,
        // nothing listed.
        PageCase{"AnotherConfigurationAlone",
                 sheetOne,
                 sheetTwo,
                 "; the same library\n[Library]\nLIB0=parts.lib\n",
                 {}},
        PageCase{"PartAdded",
                 sheetOne,
                 sheetTwo + "part at=700,300 ref=\"D2\" name=\"LED\" lib=\"LED\"\n",
                 "",
                 {"part added: D2 LED", "    D2.1 on no net"}},
        PageCase{"PartRemoved",
                 replaced(sheetOne, "part at=500,300 ref=\"D1\"", "#"),
                 sheetTwo,
                 "",
                 {"part removed: D1 LED", "    D1.1 was on LEDA"}},
        // U3 re-annotated and its pins moved at once: the old revision
        // knows them as U3's.
        PageCase{"RenamedAndMoved",
                 sheetOne,
                 replaced(crossedOver, "ref=\"U3\"", "ref=\"U9\""),
                 "",
                 {"part renamed: U3 -> U9", "pin moved: U9.1 from IN2 to RET2"}},
        PageCase{"MergeAndNetRemoved",
                 replaced(sheetOne + "wire from=600,290 to=600,260\nwire from=460,260 to=600,260\n"
                                     "junction at=460,260\n",
                          "wire from=150,260 to=250,260\n", ""),
                 sheetTwo,
                 "",
                 {"nets merged: LEDA into RET", "net removed: IN with U1.1"}}),
    [](const ::testing::TestParamInfo<PageCase>& info) { return info.param.name; });

// A review page draws two sheets: library files are compared as text, and
// the page is no JSON.
TEST_F(ReviewPage, IsRefusedForLibrariesAndBesideJson) {
    RunResult libraries = tool({"diff", "parts.lib", "parts.lib", "--html"});
    EXPECT_EQ(libraries.status, 2);
    EXPECT_EQ(libraries.err, "sheettool: --html draws two revisions of a sheet: library files "
                             "are compared as text or JSON\n");
    RunResult both = tool({"diff", "old.sch", "old.sch", "--html", "--json"});
    EXPECT_EQ(both.status, 2);
    EXPECT_NE(both.err.find("--json excludes --html"), std::string::npos) << both.err;
}

} // namespace
} // namespace dovla::sheettool::testing
