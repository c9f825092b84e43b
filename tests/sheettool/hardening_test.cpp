#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "design_texts.h"
#include "support/allocation_report.h"

// sheettool met by exhausted memory, failed writes, outputs that are its
// inputs, names that hold control bytes and configurations that never end:
// it reports the trouble, and never leaves a file the user had broken.
namespace dovla::sheettool::testing {
namespace {

using dovla::testing::AllocationReport;
using dovla::testing::readAllocationReport;
using dovla::testing::runCommand;

// R1 and R2 on net A, R3's pins alone: every command has nets, names and
// findings to report. The second revision moves R2 onto its own net.
const std::string first = "sheet code=4\n"
                          "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                          "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                          "part at=400,310 ref=\"R3\" name=\"RES\" lib=\"RES\"\n"
                          "wire from=210,100 to=350,100\n"
                          "label at=280,100 text=\"A\"\n";
const std::string second = "sheet code=4\n"
                           "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                           "part at=400,210 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                           "part at=400,310 ref=\"R3\" name=\"RES\" lib=\"RES\"\n"
                           "wire from=210,100 to=350,100\n"
                           "label at=280,100 text=\"A\"\n";

const char previous[] = "the file the user had\n";

struct SweepCase {
    const char* name;
    std::vector<std::string> arguments; // "out" is the output file, if any
    // Blocks a complete run may leave behind beyond its output's buffer:
    // a thread's block that the C library keeps with the thread's stack,
    // for the next thread.
    unsigned long kept = 0;
};

void PrintTo(const SweepCase& c, std::ostream* out) {
    *out << c.name;
}

class AllocationSweep : public DesignTexts, public ::testing::WithParamInterface<SweepCase> {};

// Every allocation of a small complete run fails in turn: the run ends
// either as the normal one does or with its message and status 2, the
// output file it was to replace untouched and no temporary file left.
TEST_P(AllocationSweep, EveryFailedAllocationEndsInTrouble) {
#ifndef FAILING_ALLOCATOR
    GTEST_SKIP() << "the preloaded allocator is not built with the sanitizers";
#else
    sheet("a.sch", first);
    sheet("b.sch", second);
    dir.write("a.txt", "sheet-file\n" + first);
    const std::string books = dir.file("allocations");
    auto run = [&](unsigned long failAt) {
        dir.write("out", std::string(previous));
        dovla::testing::RunSetup setup;
        setup.environment = {std::string("LD_PRELOAD=") + FAILING_ALLOCATOR,
                             "DOVLA32_FAIL_ALLOCATION=" + std::to_string(failAt),
                             "DOVLA32_ALLOCATION_REPORT=" + books};
        std::vector<std::string> command = GetParam().arguments;
        command.insert(command.begin(), SHEETTOOL_BINARY);
        return runCommand(command, dir.path(), setup);
    };

    RunResult normal = run(0);
    ASSERT_LE(normal.status, 1) << normal.err;
    const std::string normalFile = dir.read("out");
    // The buffer of the standard output is the C library's, and stays.
    AllocationReport whole = readAllocationReport(books);
    ASSERT_GT(whole.calls, 10u);
    EXPECT_LE(whole.live, (normal.out.empty() ? 0 : 1) + GetParam().kept)
        << "a complete run leaves blocks behind";

    int failedRuns = 0;
    for (unsigned long n = 1; n <= whole.calls && failedRuns < 5; ++n) {
        RunResult result = run(n);
        AllocationReport report = readAllocationReport(books);
        bool asNormal = result.status == normal.status && result.err == normal.err &&
                        result.out == normal.out && dir.read("out") == normalFile;
        // The C library opens files with memory of its own: a file it could
        // not open for want of it is no missing file.
        bool trouble = result.status == 2 && result.err == "sheettool: can't alloc memory!\n" &&
                       dir.read("out") == previous;
        if (!report.failed || report.live > whole.live || result.files != normal.files ||
            !(asNormal || trouble)) {
            ++failedRuns;
            ADD_FAILURE() << "allocation " << n << " of " << whole.calls << " failing: status "
                          << result.status << ", failed " << report.failed << ", live blocks "
                          << report.live << ", " << result.files.size() << " files\n"
                          << result.err;
        }
    }
    RecordProperty("allocations", static_cast<int>(whole.calls));
#endif
}

INSTANTIATE_TEST_SUITE_P(
    Command, AllocationSweep,
    ::testing::Values(SweepCase{"DumpSheet", {"dump", "a.sch"}},
                      SweepCase{"DumpLibrary", {"dump", "basic.lib"}},
                      SweepCase{"Build", {"build", "a.txt", "-o", "out"}},
                      SweepCase{"Check", {"check", "a.sch", "-o", "out"}},
                      SweepCase{"CheckWritingWaivers",
                                {"check", "a.sch", "--write-waivers", "out"}},
                      SweepCase{"ExportBom", {"export", "bom-csv", "a.sch", "-o", "out"}},
                      SweepCase{"NetsJson", {"nets", "a.sch", "--json", "-o", "out"}},
                      SweepCase{"Diff", {"diff", "a.sch", "b.sch", "-o", "out"}, 1},
                      SweepCase{"DiffHtml", {"diff", "a.sch", "b.sch", "--html", "-o", "out"}, 1},
                      SweepCase{"View", {"view", "a.sch", "-o", "out"}}),
    [](const ::testing::TestParamInfo<SweepCase>& info) { return std::string(info.param.name); });

using Hardening = DesignTexts;
namespace fs = std::filesystem;

// dovla32's command line with words in front (timeout) and arguments.
std::vector<std::string> dovla32(std::vector<std::string> front,
                                 const std::vector<std::string>& arguments) {
    std::vector<std::string> program = dovla::testing::programCommand();
    front.insert(front.end(), program.begin(), program.end());
    front.insert(front.end(), arguments.begin(), arguments.end());
    return front;
}

// A FIFO that no program writes to is no input: refused at once, never
// waited for (the timeout would end a hang, status 124). For dovla32 a
// TAVEL.INI that is one counts as missing.
TEST_F(Hardening, AFifoThatNobodyWritesIsNotWaitedFor) {
    if (dovla::testing::testingWindowsBuild())
        GTEST_SKIP() << "Windows has no FIFOs in its file system";
    sheet("a.sch", first);
    ASSERT_EQ(runCommand({"mkfifo", "fifo"}, dir.path()).status, 0);
    auto sheettool = [](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"timeout", "20", SHEETTOOL_BINARY});
        return arguments;
    };
    struct Case {
        std::vector<std::string> command;
        int status;
        std::string err;
    };
    for (const Case& c : std::vector<Case>{
             {sheettool({"nets", "fifo"}), 2, "sheettool: can't open: fifo\n"},
             {sheettool({"dump", "fifo"}), 2, "sheettool: can't open: fifo\n"},
             {sheettool({"build", "fifo", "-o", "out"}), 2, "sheettool: can't open: fifo\n"},
             {sheettool({"view", "a.sch", "--config", "fifo"}), 2, "sheettool: can't open: fifo\n"},
             {sheettool({"check", "a.sch", "--waivers", "fifo"}), 2,
              "sheettool: can't open: fifo\n"},
             {dovla32({"timeout", "20"}, {"fifo"}), 1,
              dovla::testing::banner() + "dovla32: can't open: fifo\n"},
         }) {
        RunResult result = runCommand(c.command, dir.path());
        EXPECT_EQ(result.status, c.status) << c.command[3];
        EXPECT_EQ(result.err, c.err) << c.command[3];
    }
    RunResult withIni = runCommand(dovla32({"timeout", "20"}, {"a.sch"}), dir.path());
    fs::rename(dir.file("fifo"), dir.file("TAVEL.INI"));
    RunResult withFifo = runCommand(dovla32({"timeout", "20"}, {"a.sch"}), dir.path());
    fs::remove(dir.file("TAVEL.INI"));
    RunResult without = runCommand(dovla32({"timeout", "20"}, {"a.sch"}), dir.path());
    EXPECT_EQ(withFifo.status, 0);
    EXPECT_EQ(withFifo.out, without.out);
    EXPECT_EQ(withFifo.err, without.err);
    EXPECT_NE(withFifo.out, withIni.out); // the FIFO was not taken for the configuration
}

// A pipe that has a writer is read as it comes, also when the writer is
// slow to begin.
TEST_F(Hardening, APipeWithAWriterIsRead) {
    if (dovla::testing::testingWindowsBuild())
        GTEST_SKIP() << "a POSIX shell's pipes";
    sheet("a.sch", first);
    RunResult direct = tool({"nets", "a.sch"});
    ASSERT_EQ(direct.status, 0) << direct.err;
    std::vector<std::string> program = dovla::testing::programCommand();
    RunResult dovlaDirect = runCommand(dovla32({}, {"a.sch"}), dir.path());
    for (const char* writer : {"cat a.sch", "sleep 1; cat a.sch"}) {
        RunResult piped = runCommand(
            {"/bin/sh", "-c", std::string("(") + writer + ") | timeout 20 \"$0\" nets /dev/stdin",
             SHEETTOOL_BINARY},
            dir.path());
        EXPECT_EQ(piped.status, 0) << writer << piped.err;
        EXPECT_EQ(piped.out, direct.out) << writer;
        RunResult dovla = runCommand(
            {"/bin/sh", "-c", std::string("(") + writer + ") | timeout 20 \"$0\" /dev/stdin",
             program.back()},
            dir.path());
        EXPECT_EQ(dovla.status, 0) << writer << dovla.err;
        EXPECT_EQ(dovla.out, dovlaDirect.out) << writer;
    }
}

// A file that the user may not write is refused and left as it is, as
// shell redirection would leave it (as root, the run is made as nobody).
TEST_F(Hardening, AFileTheUserMayNotWriteIsLeftAsItIs) {
    if (dovla::testing::testingWindowsBuild())
        GTEST_SKIP() << "POSIX permissions";
    sheet("a.sch", first);
    fs::permissions(dir.path(), fs::perms::all);
    dir.write("ro.txt", std::string(previous));
    fs::permissions(dir.file("ro.txt"), fs::perms(0444));
    std::vector<std::string> command = {SHEETTOOL_BINARY, "nets", "a.sch", "-o", "ro.txt"};
    if (::geteuid() == 0) {
        // A copy of the program where nobody may run it: the build may lie
        // in a folder that only root may enter.
        fs::copy_file(SHEETTOOL_BINARY, dir.file("sheettool"));
        command[0] = "./sheettool";
        command.insert(command.begin(),
                       {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    RunResult result = runCommand(command, dir.path());
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_EQ(result.err, "sheettool: can't write: ro.txt\n");
    EXPECT_EQ(dir.read("ro.txt"), previous);
    EXPECT_EQ(fs::status(dir.file("ro.txt")).permissions(), fs::perms(0444));
    for (const std::string& file : result.files)
        EXPECT_EQ(file.find(".tmp"), std::string::npos) << "left behind: " << file;
    fs::remove(dir.file("sheettool"));
}

// A new baseline replaces the old one only when the whole run succeeds:
// here the report cannot be written (a full device).
TEST_F(Hardening, AFailedRunWritesNoWaivers) {
    if (dovla::testing::testingWindowsBuild())
        GTEST_SKIP() << "/dev/full";
    sheet("a.sch", first);
    dir.write("waivers.txt", std::string(previous));
    RunResult result =
        tool({"check", "a.sch", "--write-waivers", "waivers.txt", "-o", "/dev/full"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "sheettool: can't write: /dev/full\n");
    EXPECT_EQ(dir.read("waivers.txt"), previous);
    RunResult written =
        tool({"check", "a.sch", "--write-waivers", "waivers.txt", "-o", "/dev/null"});
    EXPECT_LE(written.status, 1) << written.err;
    EXPECT_NE(dir.read("waivers.txt"), previous);
}

// A write that fails part way, here at a file size limit of 1 KiB, leaves
// the file that was there as it was and no temporary file beside it.
TEST_F(Hardening, AFailedWriteLeavesTheFileItWasToReplace) {
    std::string big = "sheet-file\nsheet code=4\n";
    for (int i = 0; i < 100; ++i)
        big += "wire from=100," + std::to_string(100 + 10 * i) + " to=500," +
               std::to_string(100 + 10 * i) + "\n";
    dir.write("big.txt", big);
    sheet("a.sch", first);
    std::string kept = dir.read("a.sch");
    for (std::vector<std::string> command :
         {std::vector<std::string>{"build", "big.txt", "-o", "a.sch"},
          std::vector<std::string>{"view", "a.sch", "-o", "a.html"},
          std::vector<std::string>{"nets", "a.sch", "--json", "-o", "a.json"},
          std::vector<std::string>{"check", "a.sch", "--sarif", "-o", "a.sarif"}}) {
        if (command[0] != "build")
            dir.write(command.back(), std::string(previous));
        std::string target = command.back();
        std::string before = dir.read(target);
        std::vector<std::string> limited = {"/bin/sh", "-c", "ulimit -f 1 && exec \"$@\"", "sh",
                                            SHEETTOOL_BINARY};
        limited.insert(limited.end(), command.begin(), command.end());
        RunResult result = runCommand(limited, dir.path());
        EXPECT_EQ(result.status, 2) << command[0];
        EXPECT_EQ(result.err, "sheettool: can't write: " + target + "\n");
        EXPECT_EQ(dir.read(target), before) << command[0];
        for (const std::string& file : result.files)
            EXPECT_EQ(file.find(".tmp"), std::string::npos) << "left behind: " << file;
    }
    EXPECT_EQ(dir.read("a.sch"), kept);
    for (std::vector<std::string> command :
         {std::vector<std::string>{"nets", "a.sch"},
          std::vector<std::string>{"nets", "a.sch", "--json"},
          std::vector<std::string>{"view", "a.sch"},
          std::vector<std::string>{"check", "a.sch", "--sarif"}}) {
        command.insert(command.end(), {"-o", "/dev/full"});
        RunResult full = tool(command);
        EXPECT_EQ(full.status, 2) << command[0];
        EXPECT_EQ(full.err, "sheettool: can't write: /dev/full\n");
    }
}

// A complete write replaces the file whole: through a link it replaces the
// file the link leads to, and the file keeps who may read it.
TEST_F(Hardening, AReplacedFileKeepsItsLinkAndPermissions) {
    sheet("a.sch", first);
    std::filesystem::create_directory(dir.file("kept"));
    dir.write("kept/nets.txt", std::string(previous));
    std::filesystem::permissions(dir.file("kept/nets.txt"), std::filesystem::perms(0640));
    std::filesystem::create_symlink("kept/nets.txt", dir.file("link.txt"));
    RunResult result = tool({"nets", "a.sch", "-o", "link.txt"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
    EXPECT_EQ(dir.read("kept/nets.txt"), tool({"nets", "a.sch"}).out);
    EXPECT_EQ(std::filesystem::status(dir.file("kept/nets.txt")).permissions(),
              std::filesystem::perms(0640));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("kept")),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(Hardening, BuildRefusesToWriteOverItsText) {
    dir.write("t.txt", "sheet-file\n" + first);
    for (const char* output : {"t.txt", "./t.txt"}) {
        RunResult result = tool({"build", "t.txt", "-o", output});
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, std::string("sheettool: can't write: ") + output + " is an input\n");
        EXPECT_EQ(dir.read("t.txt"), "sheet-file\n" + first);
    }
}

// A configuration named on the command line must be there; it is not taken
// for an empty list of libraries.
TEST_F(Hardening, AConfigurationThatCannotBeOpenedIsTrouble) {
    sheet("a.sch", first);
    std::filesystem::create_directory(dir.file("folder"));
    for (const char* option : {"--old-config", "--new-config"}) {
        for (const char* name : {"TAVEL.INl", "folder"}) {
            RunResult result = tool({"diff", "a.sch", "a.sch", option, name});
            EXPECT_EQ(result.status, 2) << option << " " << name;
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(result.err, std::string("sheettool: can't open: ") + name + "\n");
        }
    }
    EXPECT_EQ(tool({"diff", "a.sch", "a.sch", "--old-config", "TAVEL.INI"}).status, 0);
}

// A name holding a line feed cannot forge a line of a text report.
TEST_F(Hardening, ControlBytesInNamesAreEscapedInTextReports) {
    const std::string forged = "wire from=250,200 to=350,200\n"
                               "label at=300,200 text=\"\\x0anet added:\"\n"
                               "label at=700,700 text=\"\\x09\\x0d\\x7fnet add\"\n";
    sheet("a.sch", first);
    sheet("b.sch", second + forged);
    for (std::vector<std::string> command :
         {std::vector<std::string>{"diff", "a.sch", "b.sch"},
          std::vector<std::string>{"nets", "b.sch"}, std::vector<std::string>{"check", "b.sch"}}) {
        RunResult result = tool(command);
        EXPECT_LE(result.status, 1) << result.err;
        for (const std::string& line : splitText(result.out)) {
            EXPECT_NE(line.rfind("net added:", 0), 0u) << command[0] << "\n" << result.out;
            EXPECT_EQ(line.find_first_of("\r\t\x7f"), std::string::npos) << command[0];
        }
        const char* escaped = command[0] == "check" ? "\\x09\\x0d\\x7fnet add" : "\\x0anet added:";
        EXPECT_NE(result.out.find(escaped), std::string::npos) << result.out;
    }
}

// TAVEL.INI as a device that never ends: both programs stop reading it and
// go on as with a damaged configuration (the timeout would end a hang).
TEST_F(Hardening, AnEndlessConfigurationEndsTheReading) {
    sheet("a.sch", first);
    for (const char* device : {"/dev/zero", "/dev/urandom"}) {
        std::filesystem::remove(dir.file("TAVEL.INI"));
        std::filesystem::create_symlink(device, dir.file("TAVEL.INI"));
        const std::string cut =
            "configuration cut short: " + fs::canonical(dir.path()).string() + "/TAVEL.INI\n";
        RunResult nets =
            runCommand({"timeout", "60", SHEETTOOL_BINARY, "nets", "a.sch"}, dir.path());
        EXPECT_EQ(nets.status, 0) << device << nets.err;
        EXPECT_EQ(nets.err, "sheettool: " + cut);
        RunResult dovla = runCommand(dovla32({"timeout", "60"}, {"a.sch"}), dir.path());
        EXPECT_EQ(dovla.status, 0) << device;
        EXPECT_NE(dovla.err.find("can't find RES"), std::string::npos) << dovla.err;
        EXPECT_NE(dovla.err.find("dovla32: " + cut), std::string::npos) << dovla.err;
    }
}

// Sheets crowded beyond any drawing take check and view no longer than
// their size: 8 sheets of 2,500 nets whose lines all cross the middle of
// the sheet; 32 sheets of 10,000 buses and as many bus entries that touch
// none. They once took view or check minutes (the timeout would end a
// hang).
TEST_F(Hardening, CrowdedSheetsTakeNoLongerThanTheirSize) {
    std::string crossing;
    for (int sheet = 0; sheet < 8; ++sheet) {
        crossing += "sheet code=4\n";
        for (int i = 0; i < 2500; ++i)
            crossing += "wire from=" + std::to_string(250 + i) +
                        ",10 to=" + std::to_string(2750 - i) +
                        ",1990\nlabel at=" + std::to_string(250 + i) + ",10 text=\"N" +
                        std::to_string(i) + "\"\n";
    }
    std::string buses;
    for (int sheet = 0; sheet < 32; ++sheet) {
        buses += "sheet code=4\n";
        for (int i = 0; i < 10000; ++i) {
            const std::string y = std::to_string(10 + i * 10 % 20000);
            buses += "bus from=10," + y + " to=20," + y + "\n";
        }
        for (int i = 0; i < 10000; ++i)
            buses += "bus-entry at=" + std::to_string(1000 + i % 100 * 20) + "," +
                     std::to_string(100 + i / 100 * 20) + " attr=wire-entry\n";
    }
    for (const std::string& text : {crossing, buses}) {
        sheet("crowd.sch", text);
        for (std::vector<std::string> command : {std::vector<std::string>{"check", "crowd.sch"},
                                                 {"view", "crowd.sch", "-o", "crowd.html"}}) {
            command.insert(command.begin(), {"timeout", "60", SHEETTOOL_BINARY});
            RunResult result = runCommand(command, dir.path());
            EXPECT_LE(result.status, 1) << command[3] << ": status " << result.status << result.err;
        }
    }
}

TEST_F(Hardening, HelpAndVersionReportAFailedWrite) {
    for (const char* option : {"--help", "--version"}) {
        RunResult result = runCommand(
            {"/bin/sh", "-c", "exec \"$0\" \"$1\" > /dev/full", SHEETTOOL_BINARY, option},
            dir.path());
        EXPECT_EQ(result.status, 2) << option;
        EXPECT_EQ(result.err, "sheettool: can't write the output\n");
    }
}

// Editors on Windows begin UTF-8 texts with a byte-order mark.
TEST_F(Hardening, ATextMayBeginWithAByteOrderMark) {
    dir.write("plain.txt", "sheet-file\n" + first);
    dir.write("marked.txt", "\xEF\xBB\xBFsheet-file\n" + first);
    ASSERT_EQ(tool({"build", "plain.txt", "-o", "plain.sch"}).status, 0);
    RunResult marked = tool({"build", "marked.txt", "-o", "marked.sch"});
    ASSERT_EQ(marked.status, 0) << marked.err;
    EXPECT_EQ(dir.read("marked.sch"), dir.read("plain.sch"));
}

} // namespace
} // namespace dovla::sheettool::testing
