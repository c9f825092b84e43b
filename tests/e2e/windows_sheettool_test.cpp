#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/run_program.h"

// sheettool.exe writes a built file to its standard output as bytes: the
// Windows run-time library would otherwise put a carriage return in front
// of every 0x0A byte of it.
namespace dovla::testing {
namespace {

TEST(WindowsSheettool, BuildWritesTheFileToStandardOutputUnchanged) {
    const char* tool = std::getenv("DOVLA32_SHEETTOOL");
    if (!testingWindowsBuild() || tool == nullptr)
        GTEST_SKIP() << "only for the Windows build (DOVLA32_PROGRAM, DOVLA32_SHEETTOOL)";
    TempDir dir;
    // 10 is 0x0A, 13 is 0x0D, 2570 is 0x0A0A.
    dir.write("wire.txt", "sheet-file\nsheet code=4\nwire from=10,13 to=2570,13\n");
    std::vector<std::string> command = programCommand();
    command.back() = tool;
    std::vector<std::string> toFile = command;
    toFile.insert(toFile.end(), {"build", "wire.txt", "-o", "wire.sch"});
    ASSERT_EQ(runCommand(toFile, dir.path()).status, 0);
    const std::string bytes = dir.read("wire.sch");
    ASSERT_EQ(bytes.size(), 1u + 59 + 1 + 9);
    std::vector<std::string> toOutput = command;
    toOutput.insert(toOutput.end(), {"build", "wire.txt", "-o", "-"});
    RunResult result = runCommand(toOutput, dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, bytes);
}

// The bill of materials ends its lines CR LF on the standard output as in a
// file, not CR CR LF.
TEST(WindowsSheettool, ExportWritesTheSameBomToStandardOutputAsToAFile) {
    const char* tool = std::getenv("DOVLA32_SHEETTOOL");
    if (!testingWindowsBuild() || tool == nullptr)
        GTEST_SKIP() << "only for the Windows build (DOVLA32_PROGRAM, DOVLA32_SHEETTOOL)";
    TempDir dir;
    dir.write("TAVEL.INI", "[Library]\n");
    dir.write("one.txt", "sheet-file\nsheet code=4\npart at=100,100 ref=\"R1\" name=\"RES\" "
                         "lib=\"RES\"\n");
    std::vector<std::string> command = programCommand();
    command.back() = tool;
    std::vector<std::string> build = command;
    build.insert(build.end(), {"build", "one.txt", "-o", "one.sch"});
    ASSERT_EQ(runCommand(build, dir.path()).status, 0);
    std::vector<std::string> toFile = command;
    toFile.insert(toFile.end(), {"export", "bom-csv", "one.sch", "-o", "bom.csv"});
    ASSERT_EQ(runCommand(toFile, dir.path()).status, 0);
    EXPECT_EQ(dir.read("bom.csv"),
              "Library part,Part name,Quantity,References\r\nRES,RES,1,R1\r\n");
    std::vector<std::string> toOutput = command;
    toOutput.insert(toOutput.end(), {"export", "bom-csv", "one.sch"});
    RunResult result = runCommand(toOutput, dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, dir.read("bom.csv"));
}

} // namespace
} // namespace dovla::testing
