#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/design_fixture.h"

// Runs of the program that look at where its part libraries come from: the
// list in TAVEL.INI, the order of the libraries, and libraries that end the
// run.
namespace dovla::testing {
namespace {

namespace fs = std::filesystem;
using writers::LibraryWriter;
using writers::pinAt;
using writers::pinNumber;

std::string report(const std::string& partList, const std::string& netList) {
    return lines("\n#PartList\n\n" + partList + "\n#NetList\n\n" + netList + "\n#End\n");
}

std::string cantFind(const std::string& name) {
    return lines("dovla32: can't find " + name + "\n");
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A copy of the program in a folder of its own, with or without a
// TAVEL.INI beside it, run from other folders that have or have not one.
class ConfigurationLookup : public ::testing::Test {
  protected:
    void SetUp() override {
        if (testingWindowsBuild())
            GTEST_SKIP() << "copies the POSIX build";
        LibraryWriter().simple("BESIDE", 1).save(root.file("beside.lib"));
        LibraryWriter().simple("HERE", 1).save(root.file("here.lib"));
        sheet.part(500, 500, "B1", "BESIDE", "BESIDE").part(900, 500, "H1", "HERE", "HERE");
        withIni = install("with-ini");
        writeText(root.file("with-ini/TAVEL.INI"),
                  "[Library]\nLIB0=" + root.file("beside.lib") + "\n");
        withoutIni = install("without-ini");
    }
    // The path of a copy of the program in a new folder.
    std::string install(const std::string& folder) {
        fs::create_directory(root.file(folder));
        std::string program = root.file(folder + "/dovla32");
        fs::copy_file(DOVLA32_BINARY, program);
        fs::permissions(program, fs::perms::owner_all);
        return program;
    }
    // A new folder to run in, holding the sheet.
    std::string workFolder(const std::string& folder) {
        fs::create_directory(root.file(folder));
        sheet.save(root.file(folder + "/design.sch"));
        return root.file(folder);
    }
    RunResult run(const std::string& program, const std::string& folder) {
        return runCommand({program, "design.sch"}, folder);
    }

    TempDir root;
    writers::SheetWriter sheet;
    std::string withIni, withoutIni;
    const std::string parts = report("B1:\tBESIDE\nH1:\tHERE\n", "");
};

TEST_F(ConfigurationLookup, TheCurrentDirectoryComesFirst) {
    std::string here = workFolder("here");
    writeText(root.file("here/TAVEL.INI"), "[Library]\nLIB0=here.lib\n");
    fs::copy_file(root.file("here.lib"), root.file("here/here.lib"));
    RunResult result = run(withIni, here);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner() + cantFind("BESIDE"));
    EXPECT_EQ(result.out, parts);
}

TEST_F(ConfigurationLookup, ThenTheProgramsDirectory) {
    std::string plain = workFolder("plain");
    RunResult result = run(withIni, plain);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner() + cantFind("HERE"));
    EXPECT_EQ(result.out, parts);

    // A TAVEL.INI in the current directory that cannot be opened counts as
    // none.
    std::string dangling = workFolder("dangling");
    fs::create_symlink(root.file("nowhere.ini"), root.file("dangling/TAVEL.INI"));
    result = run(withIni, dangling);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner() + cantFind("HERE"));
}

TEST_F(ConfigurationLookup, NoConfigurationMeansNoLibraries) {
    RunResult result = run(withoutIni, workFolder("plain"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner() + cantFind("BESIDE") + cantFind("HERE"));
    EXPECT_EQ(result.out, parts);
}

// The libraries that a TAVEL.INI lists: RES is in parts.lib, nosuch.lib
// does not exist and ends any run that reads it.
struct ListCase {
    const char* description;
    std::string ini;
    std::string messages;
};

void PrintTo(const ListCase& c, std::ostream* out) {
    *out << c.description;
}

std::string fifteenEmptyLibraries() {
    std::string keys;
    for (int n = 0; n < 15; ++n)
        keys += "LIB" + std::to_string(n) + "=empty" + std::to_string(n) + ".lib\n";
    return keys;
}

class LibraryListRun : public ::testing::TestWithParam<ListCase> {};

TEST_P(LibraryListRun, ReadsTheListedLibraries) {
    Design d;
    d.withResistor().resistor(100, 100, "R1");
    d.save();
    for (int n = 0; n < 15; ++n)
        LibraryWriter().save(d.dir.file("empty" + std::to_string(n) + ".lib"));
    d.dir.write("TAVEL.INI", GetParam().ini);
    RunResult result = runProgram({"design.sch"}, d.dir.path());
    EXPECT_EQ(result.err, banner() + GetParam().messages);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, report("R1:\tRES\n", ""));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LibraryListRun,
    ::testing::Values(
        ListCase{"the sixteenth library is read, the seventeenth is not",
                 "[Library]\n" + fifteenEmptyLibraries() + "LIB15=parts.lib\nLIB16=nosuch.lib\n",
                 ""},
        ListCase{"LIB0 missing", "[Library]\nLIB1=parts.lib\n", cantFind("RES")},
        ListCase{"an empty value ends the list",
                 "[Library]\nLIB0=parts.lib\nLIB1=\nLIB2=nosuch.lib\n", ""},
        ListCase{"a gap ends the list", "[Library]\nLIB0=parts.lib\nLIB2=nosuch.lib\n", ""},
        ListCase{"another section", "[Libraries]\nLIB0=parts.lib\n", cantFind("RES")}));

TEST(LibraryRun, TheSixteenthLibraryIsOpened) {
    Design d;
    d.withResistor().resistor(100, 100, "R1");
    d.save();
    for (int n = 0; n < 15; ++n)
        LibraryWriter().save(d.dir.file("empty" + std::to_string(n) + ".lib"));
    d.dir.write("TAVEL.INI", "[Library]\n" + fifteenEmptyLibraries() + "LIB15=nosuch.lib\n");
    RunResult result = runProgram({"design.sch"}, d.dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, banner() + lines("dovla32: can't open: nosuch.lib\n"));
    EXPECT_EQ(result.out, "");
}

// Two libraries hold RES, numbered differently; the one listed first gives
// every instance its pins. CAP is only in the second.
TEST(LibraryRun, TheLibraryListedFirstWins) {
    Design d;
    d.resistor(100, 100, "R1").resistor(160, 100, "R2");
    d.sheet.part(1000, 1000, "C1", "CAP", "CAP");
    d.save();
    LibraryWriter()
        .add({"RES",
              4,
              2,
              1,
              0,
              {{pinAt(0, 1), "", {pinNumber(1)}}, {pinAt(2, 1), "", {pinNumber(2)}}}})
        .save(d.dir.file("first.lib"));
    LibraryWriter()
        .simple("CAP", 2)
        .add({"RES",
              4,
              2,
              1,
              0,
              {{pinAt(0, 1), "", {pinNumber(7)}}, {pinAt(2, 1), "", {pinNumber(8)}}}})
        .save(d.dir.file("second.lib"));
    const std::string partList = "R1:\tRES\nR2:\tRES\nC1:\tCAP\n";

    d.dir.write("TAVEL.INI", "[Library]\nLIB0=first.lib\nLIB1=second.lib\n");
    RunResult result = runProgram({"design.sch"}, d.dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
    EXPECT_EQ(result.out, report(partList, "{\n\tR1:\tRES [2]\n\tR2:\tRES [1]\n}\n"));

    d.dir.write("TAVEL.INI", "[Library]\nLIB0=second.lib\nLIB1=first.lib\n");
    result = runProgram({"design.sch"}, d.dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
    EXPECT_EQ(result.out, report(partList, "{\n\tR1:\tRES [8]\n\tR2:\tRES [7]\n}\n"));
}

// Libraries that end the run before anything is written.
struct BadLibraryCase {
    const char* description;
    std::vector<std::uint8_t> bytes; // empty: no file
    std::string message;
};

void PrintTo(const BadLibraryCase& c, std::ostream* out) {
    *out << c.description;
}

std::vector<std::uint8_t> resistorLibrary(std::size_t keep, char firstByte = 'L') {
    std::vector<std::uint8_t> bytes = LibraryWriter().simple("RES", 2).bytes();
    bytes.resize(keep);
    bytes[0] = static_cast<std::uint8_t>(firstByte);
    return bytes;
}

class BadLibrary : public ::testing::TestWithParam<BadLibraryCase> {};

TEST_P(BadLibrary, EndsTheRun) {
    Design d;
    d.withResistor().resistor(100, 100, "R1");
    d.save();
    fs::remove(d.dir.file("parts.lib"));
    if (!GetParam().bytes.empty())
        d.dir.write("parts.lib", GetParam().bytes);
    RunResult result = runProgram({"design.sch"}, d.dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, banner() + lines("dovla32: " + GetParam().message));
    EXPECT_EQ(result.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadLibrary,
    ::testing::Values(
        BadLibraryCase{"missing", {}, "can't open: parts.lib\n"},
        BadLibraryCase{"not a library", resistorLibrary(100, 'K'), "don't part file!\n"},
        BadLibraryCase{"a short header", resistorLibrary(40), "file read error!\n"},
        BadLibraryCase{"the used part cut short",
                       resistorLibrary(LibraryWriter().simple("RES", 2).bytes().size() - 2),
                       "file read error!\n"}));

// R1 shows a block that RES does not have: it is reported, gets no pins and
// so does not join R2's pin 1 that its pin 2 would lie on; the rest of the
// run is not affected.
TEST(LibraryRun, AnInstanceOfAMissingBlockGetsNoPins) {
    Design d;
    d.withResistor();
    d.sheet.part(150, 110, "R1", "RES", "RES", 0, 1);
    d.resistor(160, 100, "R2").resistor(220, 100, "R3");
    RunResult result = d.run();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner() + lines("dovla32: bad block: RES\n"));
    EXPECT_EQ(result.out, report("R2:\tRES\nR3:\tRES\n", "{\n\tR2:\tRES [2]\n\tR3:\tRES [1]\n}\n"));
}

} // namespace
} // namespace dovla::testing
