#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "diff_designs.h"
#include "sheettool_fixture.h"
#include "view_page.h"

// sheettool diff --git on a repository with a history: each revision read
// with its own TAVEL.INI and libraries, commits that touch only a library,
// and git difftool over a library commit.
namespace dovla::sheettool::testing {
namespace {

// The history of board/ (its sheet, TAVEL.INI and parts.lib), newest last:
// the first commit; a commit that swaps the LED's pin numbers in the
// library alone; a commit that renames a label in the sheet alone. The
// work tree then renames a pin in the library, uncommitted.
class DiffRevisions : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!git.installed())
            GTEST_SKIP() << "git is not installed";
        ASSERT_TRUE(git.init());
        // The texts the files are built from stay out of the history.
        dir.write(".gitignore", std::string("*.txt\n"));
        std::filesystem::create_directory(dir.file("board"));
        dir.write("board/TAVEL.INI", std::string("[Library]\nLIB0=parts.lib\n"));
        build("board/parts.lib", partsLibrary);
        build("board/board.sch", ledBoard);
        commit("first");
        build("board/parts.lib", swappedLed());
        commit("the LED's pins as its datasheet numbers them");
        build("board/board.sch", replaced(ledBoard, "text=\"RET\"", "text=\"GNDR\""));
        commit("RET is GNDR");
        build("board/parts.lib", replaced(dovla::testing::readFile(dir.file("board/parts.lib.txt")),
                                          "name=\"PA0\"", "name=\"AD0\""));
    }
    void build(const std::string& path, const std::string& text) {
        dir.write(path + ".txt", text);
        RunResult built = tool({"build", path + ".txt", "-o", path});
        ASSERT_EQ(built.status, 0) << built.err;
    }
    void commit(const std::string& message) {
        ASSERT_EQ(git({"add", "."}).status, 0);
        RunResult made = git({"commit", "-q", "-m", message});
        ASSERT_EQ(made.status, 0) << made.err;
    }
    RunResult tool(const std::vector<std::string>& arguments, const std::string& folder = "") {
        return runTool(arguments, folder.empty() ? dir.path() : dir.file(folder));
    }
    TempDir dir;
    Git git{dir.path()};
};

const std::string ledSwapped = "library part LED: pins 1 and 2 swapped\n";

struct RangeCase {
    const char* name;
    std::vector<std::string> arguments; // after "diff --git"
    std::string folder;                 // run there; empty: the top folder
    std::string report;
    int status;
};

void PrintTo(const RangeCase& c, std::ostream* out) {
    *out << c.name;
}

class DiffRange : public DiffRevisions, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(DiffRange, ReportsEachSheetWithItsOwnLibraries) {
    std::vector<std::string> arguments = {"diff", "--git"};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    RunResult run = tool(arguments, GetParam().folder);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, GetParam().report);
    EXPECT_EQ(run.status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    History, DiffRange,
    ::testing::Values(
        // The library commit: the sheet is the same, the nets are not.
        RangeCase{"LibraryCommit",
                  {"HEAD~2", "HEAD~1"},
                  "",
                  "diff HEAD~2:board/board.sch HEAD~1:board/board.sch\n"
                  "sheets: identical, every change comes from the libraries\n" +
                      ledSwapped +
                      "pin moved: D1.1 from LEDA to RET (sheet 1 at 510,290)\n"
                      "pin moved: D1.2 from RET to LEDA (sheet 1 at 460,290)\n",
                  1},
        // Both older sides read with their libraries of then: the work
        // tree's renamed pin shows nowhere.
        RangeCase{"SheetCommit",
                  {"HEAD~1", "HEAD"},
                  "",
                  "diff HEAD~1:board/board.sch HEAD:board/board.sch\n"
                  "net renamed: RET -> GNDR (sheet 1 at 510,290)\n",
                  1},
        // The library's swap and the sheet's rename at once: the net drawn
        // with RET's wire is the one now called GNDR.
        RangeCase{"WholeRange",
                  {"HEAD~2", "HEAD", "board/board.sch"},
                  "",
                  "diff HEAD~2:board/board.sch HEAD:board/board.sch\n" + ledSwapped +
                      "net renamed: RET -> GNDR (sheet 1 at 510,290)\n"
                      "pin moved: D1.1 from LEDA to GNDR (sheet 1 at 510,290)\n"
                      "pin moved: D1.2 from RET to LEDA (sheet 1 at 460,290)\n",
                  1},
        // NEW left out: the work tree, with its uncommitted library.
        RangeCase{"WorkTree",
                  {"HEAD"},
                  "",
                  "diff HEAD:board/board.sch board/board.sch\n"
                  "sheets: identical, every change comes from the libraries\n"
                  "library part MCU4: pin 1 renamed PA0 -> AD0\n",
                  1},
        // From the design's folder, the sheet named from there.
        RangeCase{"FromTheSheetsFolder",
                  {"HEAD", "board.sch"},
                  "board",
                  "diff HEAD:board/board.sch board/board.sch\n"
                  "sheets: identical, every change comes from the libraries\n"
                  "library part MCU4: pin 1 renamed PA0 -> AD0\n",
                  1},
        RangeCase{"NoChange", {"HEAD~1", "HEAD~1"}, "", "", 0}),
    [](const ::testing::TestParamInfo<RangeCase>& info) { return info.param.name; });

TEST_F(DiffRevisions, SheetsThatComeAndGoAreNamed) {
    build("board/second.sch", ledBoard);
    ASSERT_EQ(git({"add", "board/second.sch"}).status, 0);
    RunResult run = tool({"diff", "--git", "HEAD~1"});
    EXPECT_EQ(run.out, "diff HEAD~1:board/board.sch board/board.sch\n"
                       "library part MCU4: pin 1 renamed PA0 -> AD0\n"
                       "net renamed: RET -> GNDR (sheet 1 at 510,290)\n"
                       "sheet added: board/second.sch\n");
    EXPECT_EQ(run.status, 1);
    nlohmann::json json =
        nlohmann::json::parse(tool({"diff", "--git", "HEAD~2", "HEAD~1", "--json"}).out);
    EXPECT_EQ(json["old"], "HEAD~2");
    EXPECT_EQ(json["changed"], true);
    ASSERT_EQ(json["sheets"].size(), 1u);
    EXPECT_EQ(json["sheets"][0]["path"], "board/board.sch");
    EXPECT_EQ(json["sheets"][0]["configuration"]["sheetsIdentical"], true);
    EXPECT_EQ(json["sheets"][0]["libraryChanges"][0]["kind"], "pinsSwapped");
}

// The review page of a range: each sheet file that changed, its lines those
// of the text report but its header, a sheet that came with its line.
TEST_F(DiffRevisions, ReviewPageOfARangeListsEverySheetsLines) {
    build("board/second.sch", ledBoard);
    ASSERT_EQ(git({"add", "board/second.sch"}).status, 0);
    RunResult text = tool({"diff", "--git", "HEAD~2"});
    RunResult page = tool({"diff", "--git", "HEAD~2", "--html", "-o", "review.html"});
    ASSERT_EQ(page.status, text.status) << page.err;
    const nlohmann::json review = designOfPage(dir.read("review.html"), "review");
    ASSERT_TRUE(review.is_object());
    std::string lines;
    std::vector<std::string> paths;
    for (const nlohmann::json& file : review["files"]) {
        paths.push_back(file["path"]);
        if (file["changes"].empty() || file["changes"][0]["group"] != "files")
            lines += "diff " + file["oldName"].get<std::string>() + " " +
                     file["newName"].get<std::string>() + "\n";
        for (const nlohmann::json& change : file["changes"])
            lines += change["text"].get<std::string>() + "\n";
        // The side a sheet file came to is drawn; the other has none.
        EXPECT_EQ(file["old"].is_null(), file["path"] == "board/second.sch");
        if (file["old"].is_null()) {
            EXPECT_EQ(file["changes"][0]["kind"], "added");
        }
        EXPECT_TRUE(file["new"].is_object());
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"board/board.sch", "board/second.sch"}));
    EXPECT_EQ(lines, text.out);
    // A library part's change names it and its pins, on both sides.
    const nlohmann::json& renamed = review["files"][0]["changes"][1];
    EXPECT_EQ(renamed["group"], "library");
    for (const char* side : {"old", "new"}) {
        EXPECT_EQ(renamed[side]["lib"], "MCU4");
        EXPECT_EQ(renamed[side]["libPins"], nlohmann::json::array({"1"}));
    }
}

// git difftool over the library commit runs diff on the two library files:
// their parts compared, the report named by the path in the repository.
TEST_F(DiffRevisions, DifftoolOverALibraryCommit) {
    RunResult run = git({"difftool", "-y", "-x", std::string("\"") + SHEETTOOL_BINARY + "\" diff",
                         "HEAD~2", "HEAD~1"});
    EXPECT_EQ(run.out, "diff board/parts.lib board/parts.lib\n" + ledSwapped);
    EXPECT_EQ(run.err, "");
}

TEST_F(DiffRevisions, TroubleExitsWithTwo) {
    RunResult unknown = tool({"diff", "--git", "nosuch"});
    EXPECT_EQ(unknown.err, "sheettool: --git: nosuch is no revision\n");
    EXPECT_EQ(unknown.status, 2);
    RunResult configs = tool({"diff", "--git", "HEAD", "--old-config", "board/TAVEL.INI"});
    EXPECT_EQ(configs.status, 2);
    TempDir elsewhere;
    RunResult outside = runTool({"diff", "--git", "HEAD"}, elsewhere.path());
    EXPECT_EQ(outside.err, "sheettool: --git: not in a git repository, or git is not installed\n");
    EXPECT_EQ(outside.status, 2);
}

} // namespace
} // namespace dovla::sheettool::testing
