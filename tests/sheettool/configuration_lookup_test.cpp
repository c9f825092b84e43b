#include <filesystem>
#include <string>
#include <vector>

#include "design_texts.h"
#include "sarif_soundness.h"

// Every command that reads a design finds its TAVEL.INI the same way, and
// none reads a design without libraries unless told to: a design kept with
// its TAVEL.INI in a folder of a repository reads the same from the
// repository's top folder as with that TAVEL.INI named.
namespace dovla::sheettool::testing {
namespace {

namespace fs = std::filesystem;
using dovla::testing::runCommand;
using dovla::testing::testingWindowsBuild;

const std::string board = "sheet code=4\n"
                          "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                          "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                          "wire from=210,100 to=350,100\n"
                          "label at=280,100 text=\"A\"\n";

// The libraries, the TAVEL.INI naming them by relative paths and the sheet,
// all in board/ below the folder the commands run in.
class Repository : public DesignTexts {
  protected:
    void SetUp() override {
        DesignTexts::SetUp();
        sheet("a.sch", board);
        fs::create_directory(dir.file("board"));
        for (const char* file : {"basic.lib", "logic.lib", "TAVEL.INI", "a.sch"})
            fs::rename(dir.file(file), dir.file(std::string("board/") + file));
    }
};

// Each command with the sheet in board/, as it is run from the top folder.
const std::vector<std::vector<std::string>> commands = {
    {"nets", "board/a.sch"},
    {"nets", "board/a.sch", "--json"},
    {"check", "board/a.sch"},
    {"check", "board/a.sch", "--json"},
    {"check", "board/a.sch", "--sarif"},
    {"view", "board/a.sch"},
    {"export", "bom-csv", "board/a.sch"},
    {"export", "kicad-netlist", "board/a.sch"},
    {"diff", "board/a.sch", "board/a.sch"},
};

std::string joined(const std::vector<std::string>& command) {
    std::string text;
    for (const std::string& word : command)
        text += word + " ";
    return text;
}

TEST_F(Repository, EveryCommandReadsTheTavelIniBesideTheSheet) {
    for (const std::vector<std::string>& command : commands) {
        std::vector<std::string> named = command;
        named.insert(named.end(), {"--config", "board/TAVEL.INI"});
        RunResult found = tool(command);
        RunResult told = tool(named);
        EXPECT_LE(told.status, 1) << joined(command) << told.err;
        EXPECT_EQ(found.status, told.status) << joined(command) << found.err;
        EXPECT_EQ(found.err, told.err) << joined(command);
        EXPECT_EQ(found.out, told.out) << joined(command);
    }
    // Read with the libraries, not blind: the resistors have their pins.
    EXPECT_NE(tool({"nets", "board/a.sch"}).out.find("R2.1  sheet 1 at 350,100"),
              std::string::npos);
    EXPECT_NE(tool({"check", "board/a.sch", "--json"})
                  .out.find(R"("configuration":"board/TAVEL.INI","libraries":["board/basic.lib")"),
              std::string::npos);
}

TEST_F(Repository, WithoutATavelIniEveryCommandStops) {
    fs::remove(dir.file("board/TAVEL.INI"));
    for (const std::vector<std::string>& command : commands) {
        RunResult result = tool(command);
        EXPECT_EQ(result.status, 2) << joined(command);
        EXPECT_EQ(result.err, "sheettool: can't find TAVEL.INI for board/a.sch (name one with "
                              "--config)\n")
            << joined(command);
        EXPECT_EQ(result.out, "") << joined(command);
    }
}

// --no-libraries reads the design without any on purpose, and says so.
TEST_F(Repository, NoLibrariesIsAChoiceThatTheReportsName) {
    fs::remove(dir.file("board/TAVEL.INI"));
    RunResult nets = tool({"nets", "board/a.sch", "--json", "--no-libraries"});
    EXPECT_EQ(nets.status, 0) << nets.err;
    EXPECT_NE(nets.out.find(R"("configuration":null,"libraries":[])"), std::string::npos);
    RunResult sarif = tool({"check", "board/a.sch", "--sarif", "--no-libraries"});
    EXPECT_EQ(sarif.status, 1) << sarif.err; // every part unknown
    EXPECT_NE(sarif.out.find("\"configuration\": null"), std::string::npos);
    EXPECT_EQ(sarifFaults(dir, sarif.out, dir.file("board/a.sch")), std::vector<std::string>{});
    RunResult both = tool({"nets", "board/a.sch", "--no-libraries", "--config", "x"});
    EXPECT_EQ(both.status, 2);
    EXPECT_EQ(both.err.rfind("sheettool: --config excludes --no-libraries", 0), 0u) << both.err;
    EXPECT_EQ(tool({"diff", "board/a.sch", "board/a.sch", "--no-libraries"}).status, 2);
}

// The current folder's TAVEL.INI comes before the one beside the sheet; a
// FIFO in its place is no TAVEL.INI, and the search goes on.
TEST_F(Repository, TheCurrentFolderComesFirst) {
    dir.write("TAVEL.INI", std::string("[Library]\nLIB0=board/logic.lib\n"));
    RunResult top = tool({"nets", "board/a.sch", "--json"});
    EXPECT_EQ(top.status, 0) << top.err;
    EXPECT_NE(top.out.find("/TAVEL.INI\",\"libraries\":[\"board/logic.lib\"]"), std::string::npos)
        << top.out.substr(0, 300);
    if (testingWindowsBuild())
        return;
    fs::remove(dir.file("TAVEL.INI"));
    ASSERT_EQ(runCommand({"mkfifo", "TAVEL.INI"}, dir.path()).status, 0);
    RunResult beside =
        runCommand({"timeout", "20", SHEETTOOL_BINARY, "nets", "board/a.sch"}, dir.path());
    EXPECT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(beside.out, tool({"nets", "board/a.sch", "--config", "board/TAVEL.INI"}).out);
}

} // namespace
} // namespace dovla::sheettool::testing
