#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "design_fixture.h"
#include "support/run_program.h"

// TAVEL.INI as editors and users write it. The same texts must name the
// same libraries whether the program reads them itself (POSIX) or through
// the system's private-profile service (Windows), so these runs are made
// with both builds.
namespace dovla::testing {
namespace {

// The text in UTF-16 with its byte-order mark; the text itself is ASCII.
std::string utf16(const std::string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) {
        if (bigEndian)
            bytes += '\0';
        bytes += c;
        if (!bigEndian)
            bytes += '\0';
    }
    return bytes;
}

struct ProfileCase {
    const char* description;
    std::string text;
};

void PrintTo(const ProfileCase& c, std::ostream* out) {
    *out << c.description;
}

class ConfigurationText : public ::testing::TestWithParam<ProfileCase> {
  protected:
    void SetUp() override { writeBenchDesign(work); }
    TempDir work;
};

TEST_P(ConfigurationText, NamesBothLibraries) {
    work.write("TAVEL.INI", GetParam().text);
    RunResult result = runProgram({"bench.sch"}, work.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
    EXPECT_EQ(result.out, lines(benchReport));
}

const std::string editorText = "; parts of the bench\r\n[Editor]\r\nLIB0=nothing.lib\r\n\r\n"
                               "[LIBRARY]\r\nLib0 = 'my parts.lib'\r\nLiB1 = \"caps.lib\"\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigurationText,
    ::testing::Values(
        ProfileCase{"lower-case names, double quotes",
                    "[library]\r\nlib0=\"my parts.lib\"\r\nlib1=caps.lib\r\n"},
        ProfileCase{"upper-case section, mixed-case keys, single quotes, blanks", editorText},
        ProfileCase{"line feeds alone", "[Library]\nLIB0=\"my parts.lib\"\nLIB1=caps.lib\n"},
        ProfileCase{"carriage returns alone", "[Library]\rLIB0=\"my parts.lib\"\rLIB1=caps.lib\r"},
        ProfileCase{"a UTF-8 byte-order mark",
                    "\xEF\xBB\xBF[Library]\r\nLIB0=my parts.lib\r\nLIB1=caps.lib\r\n"},
        ProfileCase{"UTF-16, little-endian", utf16(editorText, false)},
        ProfileCase{"UTF-16, big-endian", utf16(editorText, true)}));

// A configuration far larger than any memory the program needs is read as
// a stream up to the reader's bound, and the user is told that it was cut.
TEST(ConfigurationFile, OfHundredsOfMegabytesIsReadInLittleMemory) {
    if (testingWindowsBuild())
        GTEST_SKIP() << "needs a POSIX shell's ulimit";
    if (addressSanitizer)
        GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
    TempDir work;
    writers::SheetWriter sheet;
    sheet.header().part(500, 500, "R1", "RES", "RES");
    sheet.save(work.file("bench.sch"));
    writers::LibraryWriter().simple("RES", 2).save(work.file("parts.lib"));
    work.write("TAVEL.INI", "[Library]\r\nLIB0=parts.lib\r\n");
    // Zero bytes, which no disk has to hold.
    std::filesystem::resize_file(work.file("TAVEL.INI"), std::uintmax_t{200} << 20);
    RunResult result = runCommand(
        {"/bin/sh", "-c", "ulimit -v 100352 && exec \"$0\" bench.sch", programCommand().back()},
        work.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner() + "dovla32: configuration cut short: " +
                              std::filesystem::canonical(work.path()).string() + "/TAVEL.INI\n");
    EXPECT_EQ(result.out, "\n#PartList\n\nR1:\tRES\n\n#NetList\n\n\n#End\n");
}

} // namespace
} // namespace dovla::testing
