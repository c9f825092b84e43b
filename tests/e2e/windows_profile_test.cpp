#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "design_fixture.h"
#include "support/run_program.h"

// The Windows build finds TAVEL.INI through the system's own services and
// reads it with the system's private-profile reader; these runs check that
// the two places are searched, in order, and that the reader is given paths
// it takes as they are.
namespace dovla::testing {
namespace {

class WindowsBuild : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testingWindowsBuild())
            GTEST_SKIP() << "only for the Windows build (DOVLA32_PROGRAM)";
        writeBenchDesign(work);
    }
    TempDir work;
};

TEST_F(WindowsBuild, TheCurrentDirectoryWinsOverTheProgramsDirectory) {
    TempDir programDir;
    const std::vector<std::string> command = programCommand();
    const std::string program = programDir.file("dovla32.exe");
    std::filesystem::copy_file(command.back(), program);
    programDir.write("TAVEL.INI", "[Library]\r\nLIB0=" + work.file("caps.lib") + "\r\n");
    std::vector<std::string> copied = command;
    copied.back() = program;
    copied.push_back("bench.sch");

    RunResult beside = runCommand(copied, work.path());
    EXPECT_EQ(beside.status, 0);
    EXPECT_EQ(beside.err, banner() + lines("dovla32: can't find RES\n"));

    work.write("TAVEL.INI", "[Library]\r\nLIB0=\"my parts.lib\"\r\n");
    RunResult current = runCommand(copied, work.path());
    EXPECT_EQ(current.status, 0);
    EXPECT_EQ(current.err, banner() + lines("dovla32: can't find CAP\n"));
    EXPECT_EQ(current.out, lines(benchReport));
}

// Names are compared without regard to letter case and take either
// separator; the output must still be refused before it empties the sheet,
// the configuration or a library.
TEST_F(WindowsBuild, TheOutputMayNotBeAReadFileUnderAnotherSpelling) {
    work.write("TAVEL.INI", "[Library]\r\nLIB0=caps.lib\r\n");
    const std::vector<std::string> names = {"bench.sch", "caps.lib", "TAVEL.INI"};
    std::vector<std::string> before;
    for (const std::string& name : names)
        before.push_back(work.read(name));
    const std::vector<std::string> outputs = {
        "-oBENCH.SCH",   "-o.\\bench.sch", "-o" + work.file("Bench.sch"), "-oCAPS.LIB",
        "-o.\\Caps.Lib", "-otavel.ini",    "-o" + work.file("Tavel.Ini")};
    for (const std::string& output : outputs) {
        RunResult result = runProgram({output, "bench.sch"}, work.path());
        EXPECT_EQ(result.status, 1) << output;
        EXPECT_EQ(result.err, banner() + lines("dovla32: can't open: " + output.substr(2) + "\n"));
        for (std::size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(work.read(names[i]), before[i]) << output << " " << names[i];
    }
}

// The device NUL can be the output of a run that reads it.
TEST_F(WindowsBuild, TheOutputMayBeTheDeviceThatIsRead) {
    RunResult result = runProgram({"-oNUL", "NUL"}, work.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
}

} // namespace
} // namespace dovla::testing
