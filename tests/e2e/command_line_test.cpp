#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "writers/library_writer.h"
#include "writers/sheet_writer.h"

namespace dovla::testing {
namespace {

const std::string usage =
    "dovla32: usage: dovla32 [-t] [-w<name>] [-l] [-p] [-s] [-o<output>] <sheet>\n";
const std::string emptyDefaultReport = "\n#PartList\n\n\n#NetList\n\n\n#End\n";
const std::string emptyPackageReport = "$PACKAGES\n$NETS\n$END\n";

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override { dir.write("empty.sch", std::string()); }
    RunResult run(const std::vector<std::string>& arguments) {
        return runProgram(arguments, dir.path());
    }
    TempDir dir;
};

struct UsageCase {
    std::vector<std::string> arguments;
    std::string warnings; // what stands between the banner and the usage line
};

void PrintTo(const UsageCase& c, std::ostream* out) {
    for (const std::string& argument : c.arguments)
        *out << '[' << argument << ']';
}

class UsageErrors : public CommandLine, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(UsageErrors, EndWithTheUsageMessage) {
    RunResult result = run(GetParam().arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, banner() + lines(GetParam().warnings + usage));
    EXPECT_EQ(result.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, UsageErrors,
    ::testing::Values(UsageCase{{}, ""}, UsageCase{{"-?", "empty.sch"}, ""},
                      UsageCase{{"-x", "empty.sch"}, "dovla32: unknown option: x\n"},
                      // The option argument is never taken from the next word.
                      UsageCase{{"-o", "out.net", "empty.sch"}, "dovla32: no option argument: o\n"},
                      UsageCase{{"-w", "empty.sch"}, "dovla32: no option argument: w\n"},
                      // The colon is a character of the option string: no
                      // warning, but an error all the same.
                      UsageCase{{"-:", "empty.sch"}, ""},
                      // A lone "-" has the terminating NUL as its letter.
                      UsageCase{{"-", "empty.sch"},
                                std::string("dovla32: unknown option: ") + '\0' + "\n"},
                      UsageCase{{"-t", "-l"}, ""}));

TEST_F(CommandLine, WritesTheReportToStandardOutput) {
    RunResult result = run({"empty.sch"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
    EXPECT_EQ(result.out, lines(emptyDefaultReport));
}

TEST_F(CommandLine, WritesTheReportToTheOutputFile) {
    RunResult result = run({"-oout.net", "empty.sch"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(dir.read("out.net"), lines(emptyDefaultReport));
    RunResult toStdout = run({"-ostdout", "empty.sch"});
    EXPECT_EQ(toStdout.out, lines(emptyDefaultReport));
    EXPECT_EQ(toStdout.files, (std::vector<std::string>{"empty.sch", "out.net"}));
}

TEST_F(CommandLine, TheLastOutputOptionWins) {
    RunResult result = run({"-ofirst.net", "-osecond.net", "empty.sch"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(dir.read("second.net"), lines(emptyDefaultReport));
    EXPECT_FALSE(dir.exists("first.net"));
}

TEST_F(CommandLine, OptionsEndAtTheSheetName) {
    RunResult late = run({"empty.sch", "-t", "ignored.sch"});
    EXPECT_EQ(late.status, 0);
    EXPECT_EQ(late.out, lines(emptyDefaultReport));
    RunResult package = run({"-t", "empty.sch"});
    EXPECT_EQ(package.out, lines(emptyPackageReport));
}

TEST_F(CommandLine, CharactersBehindAnOptionLetterAreIgnored) {
    // Two blocks of one part: -l would list the second block too.
    writers::SheetWriter sheet;
    sheet.header()
        .part(500, 500, "U1", "NAND", "NAND", 0, 0)
        .part(900, 500, "U1", "NAND", "NAND", 0, 1);
    sheet.save(dir.file("gates.sch"));
    RunResult grouped = run({"-tl", "gates.sch"});
    EXPECT_EQ(grouped.status, 0);
    EXPECT_EQ(grouped.out, lines("$PACKAGES\n! NAND; U1\n$NETS\n$END\n"));
    RunResult separate = run({"-t", "-l", "gates.sch"});
    EXPECT_EQ(separate.out, lines("$PACKAGES\n! NAND; U1\n! NAND; U1\n$NETS\n$END\n"));
    EXPECT_EQ(separate.err,
              banner() + lines("dovla32: can't find NAND\ndovla32: can't find NAND\n"));
}

TEST_F(CommandLine, PowerNameOptionsReachThePartList) {
    writers::SheetWriter sheet;
    sheet.header()
        .part(500, 500, "", "VCC", "VCC")
        .part(700, 500, "", "P1", "P1")
        .part(900, 500, "", "P2", "P2")
        .part(1100, 500, "", "P3", "P3");
    sheet.save(dir.file("power.sch"));
    RunResult implicit = run({"-wP1", "power.sch"});
    EXPECT_EQ(implicit.out, lines("\n#PartList\n\n\tP2\n\tP3\n\n#NetList\n\n\n#End\n"));
    RunResult plain = run({"-t", "-p", "-wP1", "-wP2", "power.sch"});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, lines("$PACKAGES\n! VCC;\n! P3;\n$NETS\n$END\n"));
    RunResult power = run({"-t", "-wP1", "power.sch"});
    EXPECT_EQ(power.out, lines("$PACKAGES\n! P2;\n! P3;\n$NETS\n$END\n"));
}

TEST_F(CommandLine, AnOutputThatCannotBeCreatedWinsOverTheUsageMessage) {
    RunResult result = run({"-obad/dir/x.net"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, banner() + lines("dovla32: can't open: bad/dir/x.net\n"));
}

TEST_F(CommandLine, TheOutputIsCreatedBeforeTheUsageTest) {
    RunResult result = run({"-oout.net"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, banner() + lines(usage));
    EXPECT_TRUE(dir.exists("out.net"));
    EXPECT_EQ(dir.read("out.net"), "");
}

TEST_F(CommandLine, AMissingSheetFileCannotBeOpened) {
    RunResult result = run({"nosuch.sch"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, banner() + lines("dovla32: can't open: nosuch.sch\n"));
}

TEST_F(CommandLine, TheOutputMayNotBeTheSheetItself) {
    writers::SheetWriter sheet;
    sheet.header().wire(10, 20, 110, 20);
    sheet.save(dir.file("keep.sch"));
    const std::string before = dir.read("keep.sch");
    for (const char* output : {"-okeep.sch", "-o./keep.sch"}) {
        RunResult result = run({output, "keep.sch"});
        EXPECT_EQ(result.status, 1) << output;
        EXPECT_EQ(result.err,
                  banner() + lines("dovla32: can't open: " + std::string(output + 2) + "\n"));
        EXPECT_EQ(dir.read("keep.sch"), before) << output;
    }
}

// Every file that the run reads is refused as its output before anything is
// emptied, under any spelling and through links: the sheet, TAVEL.INI and
// each library it names. The check comes before the usage test, as the
// opening of the output does.
TEST_F(CommandLine, TheOutputMayNotBeAFileTheRunReads) {
    writers::SheetWriter sheet;
    sheet.header().wire(10, 20, 110, 20);
    sheet.save(dir.file("keep.sch"));
    writers::LibraryWriter().simple("RES", 2).save(dir.file("std.lib"));
    dir.write("TAVEL.INI", "[Library]\nLIB0=std.lib\n");
    if (!testingWindowsBuild()) {
        std::filesystem::create_symlink("std.lib", dir.file("alias.lib"));
        std::filesystem::create_hard_link(dir.file("TAVEL.INI"), dir.file("config.lnk"));
    }
    const std::vector<std::string> names = {"keep.sch", "std.lib", "TAVEL.INI"};
    std::vector<std::string> before;
    for (const std::string& name : names)
        before.push_back(dir.read(name));
    std::vector<std::string> outputs = {"-okeep.sch",  "-o./keep.sch", "-ostd.lib",
                                        "-o./std.lib", "-oTAVEL.INI",  "-o./TAVEL.INI"};
    if (!testingWindowsBuild()) {
        outputs.push_back("-oalias.lib");
        outputs.push_back("-oconfig.lnk");
    }
    for (const std::string& output : outputs) {
        // Without a sheet, only the configuration and its libraries are read.
        std::vector<std::vector<std::string>> runs = {{output, "keep.sch"}};
        if (output.find("keep.sch") == std::string::npos)
            runs.push_back({output, "-t"});
        for (const std::vector<std::string>& arguments : runs) {
            RunResult result = run(arguments);
            EXPECT_EQ(result.status, 1) << output;
            EXPECT_EQ(result.err,
                      banner() + lines("dovla32: can't open: " + output.substr(2) + "\n"))
                << output;
            for (std::size_t i = 0; i < names.size(); ++i)
                EXPECT_EQ(dir.read(names[i]), before[i]) << output << " " << names[i];
        }
    }
}

// A device loses nothing when it is read and written in one run.
TEST_F(CommandLine, TheOutputMayBeTheDeviceThatIsRead) {
    if (testingWindowsBuild())
        GTEST_SKIP() << "needs /dev/null";
    RunResult result = run({"-o/dev/null", "/dev/null"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
}

// With its standard error stream closed, the program must not take that
// descriptor for its output file, which would then receive the messages.
TEST_F(CommandLine, ClosedStandardStreamsReceiveNoFiles) {
    if (testingWindowsBuild())
        GTEST_SKIP() << "closes POSIX descriptors";
    writers::SheetWriter sheet;
    sheet.header().part(500, 500, "R1", "RES", "RES");
    sheet.save(dir.file("parts.sch"));
    RunSetup noErrors;
    noErrors.closedDescriptors = {2};
    RunResult result = runProgram({"-ox.net", "parts.sch"}, dir.path(), noErrors);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(dir.read("x.net"), "\n#PartList\n\nR1:\tRES\n\n#NetList\n\n\n#End\n");
    // A closed standard output still takes no report.
    RunSetup noOutput;
    noOutput.closedDescriptors = {1};
    RunResult lost = runProgram({"parts.sch"}, dir.path(), noOutput);
    EXPECT_EQ(lost.status, 1);
    EXPECT_EQ(lost.err, banner() + "dovla32: can't find RES\ndovla32: file write error!\n");
    EXPECT_EQ(dir.read("parts.sch"), std::string(sheet.bytes().begin(), sheet.bytes().end()));
}

TEST_F(CommandLine, AReportThatCannotBeWrittenIsAnError) {
    RunResult result = run({"-o/dev/full", "empty.sch"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, banner() + lines("dovla32: file write error!\n"));
}

} // namespace
} // namespace dovla::testing
