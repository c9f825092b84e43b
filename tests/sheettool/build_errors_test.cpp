#include <string>
#include <vector>

#include "sheettool_fixture.h"

namespace dovla::sheettool::testing {
namespace {

struct Malformed {
    const char* text;
    int line;
    int column;
    const char* message; // a part of the message
};

const Malformed sheetTexts[] = {
    {"", 1, 1, "the text is empty"},
    {"\n  # only a comment\n", 1, 1, "the text is empty"},
    {"sheet-files\n", 1, 1, "begins with sheet-file or library-file"},
    {"sheet-file code=1\n", 1, 12, "stands alone"},
    {"sheet-file\nwir at=1,2\n", 2, 1, "unknown item 'wir'"},
    {"sheet-file\nWire from=1,2 to=3,4\n", 2, 1, "bad character in the keyword"},
    {"sheet-file\nwire from=1,2 to=3,4 color=red\n", 2, 22, "a wire has no field 'color'"},
    {"sheet-file\nwire from=1,2\n", 2, 1, "a wire needs the field 'to'"},
    {"sheet-file\njunction at=1,2 at=3,4\n", 2, 17, "field 'at' given twice"},
    {"sheet-file\njunction at\n", 2, 10, "expected a field: key=value"},
    {"sheet-file\njunction at=1,x\n", 2, 15, "expected a number"},
    {"sheet-file\njunction at=12\n", 2, 13, "expected a point: x,y"},
    {"sheet-file\njunction at=40000,0\n", 2, 13, "number out of range (-32768 to 32767)"},
    {"sheet-file\njunction at=0,-32769\n", 2, 15, "out of range"},
    {"sheet-file\njunction at=0,0 attr=256\n", 2, 22, "out of range (0 to 255)"},
    {"sheet-file\nbus-entry at=0,0 attr=mirrored+wire-entri\n", 2, 32,
     "unknown bit 'wire-entri' (named bits: mirrored, wire-entry)"},
    {"sheet-file\nwire from=0,0 to=1,1 attr=vertical\n", 2, 27, "give a number"},
    {"sheet-file\nlabel at=1,2 text=\"abc\n", 2, 19, "no closing quote"},
    {"sheet-file\nlabel at=1,2 text=\"a\\qb\"\n", 2, 21, "bad escape"},
    {"sheet-file\nlabel at=1,2 text=\"a\\x4\"\n", 2, 21, "bad escape"},
    {"sheet-file\nlabel at=1,2 text=\"a\"b\n", 2, 22, "expected a blank after the string"},
    {"sheet-file\nlabel at=1,2 text=abc\n", 2, 19, "expected a quoted string"},
    {"sheet-file\nlabel at=1,2 text=\"ABCDEFGHIJKL\"\n", 2, 19,
     "12 bytes do not fit the field of 11"},
    {"sheet-file\ntag at=1,2 text=\"ABCDEFGHIJ\" text-rest=\"XY\"\n", 2, 40,
     "2 bytes do not fit the field of 1"},
    {"sheet-file\npart at=1,2 ref=\"U12345678\"\n", 2, 17, "9 bytes do not fit the field of 7"},
    {"sheet-file\npart at=1,2 lib=\"A\\x00B\"\n", 2, 17, "ends at its first NUL byte"},
    {"sheet-file\npart at=1,2 dir=-1\n", 2, 17, "out of range (0 to 255)"},
    {"sheet-file\nrecord4 bytes=0g\n", 2, 16, "expected hex digits"},
    {"sheet-file\nrecord4 bytes=000\n", 2, 17, "odd number of hex digits"},
    {"sheet-file\nrecord4 bytes=0000\n", 2, 15, "record4 holds exactly 9 bytes"},
    {"sheet-file\nrecord7 at=1,2\n", 2, 9, "a type 7 record has no field 'at'"},
    {"sheet-file\nrecord4\n", 2, 1, "record4 needs the field 'bytes'"},
    {"sheet-file\nextension type=15 length=14\n", 2, 16, "out of range (16 to 255)"},
    {"sheet-file\nextension type=16 length=13\n", 2, 26, "out of range (14 to 32767)"},
    {"sheet-file\nextension type=16 length=16 data=aa\njunction at=0,0\n", 2, 34,
     "the data holds 1 bytes, the length asks for 2"},
    {"sheet-file\nextension type=16 length=15 data=aaaa\n", 2, 34,
     "2 bytes do not fit the field of 1"},
    {"sheet-file\nsheet code=4 magic=1\n", 2, 14, "a sheet header has no field 'magic'"},
    {"sheet-file\nsheet code=4 unused13=" // 21 bytes
     "000000000000000000000000000000000000000000\n",
     2, 23, "21 bytes do not fit the field of 20"},
};

const Malformed libraryTexts[] = {
    {"library-file\n", 1, 1, "begins with its header line"},
    {"library-file\npart name=\"A\" name-at=0 record-at=0\n", 2, 1, "begins with its header line"},
    {"library-file\nheader name-table=54 part-table=54 part-data=54\n", 2, 1,
     "give the header's name-table, part-table, part-data and strings, or none of them"},
    // A header without offsets leaves the layout to build, and no line may
    // place bytes then.
    {"library-file\nheader\npart name=\"A\" name-at=0 width=1 height=1 blocks=1\n", 3, 23,
     "build lays the library out; leave name-at out"},
    {"library-file\nheader\npart name=\"A\" width=1 height=1 blocks=1\n"
     "  pin side=left offset=1 numbers=1 name=\"X\" name-at=1\n",
     4, 53, "leave name-at out"},
    {"library-file\nheader\npart name=\"A\"\n", 3, 1,
     "each part describes its record: give width, height and blocks"},
    {"library-file\nheader\ngap at=70 bytes=00\n", 3, 1, "has no place for a gap"},
    {"library-file\nheader parts=2 name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n",
     2, 14, "the header counts 2 parts, the text has 1"},
    {"library-file\nheader name-table=-1 part-table=58 part-data=60 strings=60\n", 2, 19,
     "out of range (0 to 2147483647)"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "header name-table=54 part-table=58 part-data=60 strings=60\n",
     3, 1, "a library has one header"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "pin side=left offset=1\n",
     3, 1, "a pin belongs to the part line above it"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name-at=0 record-at=0 width=1 height=1 blocks=1\n",
     3, 1, "a part has either a name or its stored bytes"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1\n",
     3, 1, "a part needs the field 'blocks'"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=2 pins=2\n"
     "  pin side=left offset=1 numbers=1,2\n",
     3, 68, "the part counts 2 pins, the lines below it are 1"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=2\n"
     "  pin side=left offset=1 numbers=1\n",
     4, 34, "the part has 2 blocks, so each pin has as many numbers; here are 1"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n"
     "  pin side=middle offset=1 numbers=1\n",
     4, 12, "expected one of: left, top, right, bottom"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n"
     "  pin side=left offset=1 numbers=A512\n",
     4, 35, "out of range (0 to 511)"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n"
     "  pin side=left offset=1 numbers=A1+0x0001\n",
     4, 37, "only bits 0x8200 may follow the number"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n"
     "  pin side=left offset=1 numbers=1 name=\"X\"\n",
     4, 3, "a pin name needs the field 'name-at'"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n"
     "  pin side=left offset=1 numbers=1 name=\"\" name-at=5\n",
     4, 41, "a pin name can't be empty"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=2\n",
     3, 35, "no part line describes the record at 2"},
    {"library-file\nheader name-table=54 part-table=58 part-data=80 strings=70\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=0\n"
     "part name=\"B\" name-at=0 record-at=0\n",
     4, 23, "the byte at offset 70 is 0x42 here but 0x41 on line 3"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=0\n"
     "part name=\"B\" name-at=20 record-at=0\n"
     "  pin side=left offset=1\n",
     5, 3, "this part shares another part's record"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=99999999 record-at=0 width=1 height=1 blocks=0\n",
     3, 23, "lies outside 0 to 16777216"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "gap at=10 bytes=ff\n",
     2, 1, "the byte at offset 10 is 0x00 here but 0xff on line 3"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "wire from=1,2 to=3,4\n",
     3, 1, "unknown item 'wire'"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\\x00\" name-at=0 record-at=0 width=1 height=1 blocks=1\n",
     3, 11, "a part name ends at its first NUL byte"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n"
     "part name=\"B\" name-at=2 record-at=0 pins=0\n",
     4, 42, "shares another part's record and describes none"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 terminated=maybe width=1 height=1 blocks=1\n",
     3, 48, "expected one of: no, yes"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n"
     "  pin offset=1 numbers=1\n",
     4, 3, "a pin needs the field 'side'"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n"
     "  pin side=left offset=1 numbers=1 name-at=3\n",
     4, 3, "'name-at' places a name; give name= too"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n"
     "  pin side=left offset=1 numbers=1 name=\"X\" stored=\"X\" name-at=3\n",
     4, 52, "a pin has either a name or its stored bytes"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n"
     "  pin side=left offset=1 numbers=1 name=\"XYZ\" name-length=2 name-at=3\n",
     4, 59, "the name holds more bytes than its length"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "part name=\"A\" name-at=0 record-at=0 width=1 height=1 blocks=1\n"
     "  pin side=left offset=1 numbers=1 name-length=2\n",
     4, 48, "a pin without a name has no name length"},
    {"library-file\nheader name-table=54 part-table=58 part-data=60 strings=60\n"
     "gap at=70\n",
     3, 1, "a gap needs the field 'bytes'"},
};

class MalformedSheetText : public ::testing::TestWithParam<Malformed> {};
class MalformedLibraryText : public ::testing::TestWithParam<Malformed> {};

void expectError(const Malformed& malformed) {
    try {
        buildFile(malformed.text);
        ADD_FAILURE() << "no error for:\n" << malformed.text;
    } catch (const TextError& error) {
        EXPECT_EQ(error.line, malformed.line) << error.what();
        EXPECT_EQ(error.column, malformed.column) << error.what();
        EXPECT_NE(std::string(error.what()).find(malformed.message), std::string::npos)
            << error.what();
    }
}

TEST_P(MalformedSheetText, NamesLineAndColumn) {
    expectError(GetParam());
}
TEST_P(MalformedLibraryText, NamesLineAndColumn) {
    expectError(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Texts, MalformedSheetText, ::testing::ValuesIn(sheetTexts));
INSTANTIATE_TEST_SUITE_P(Texts, MalformedLibraryText, ::testing::ValuesIn(libraryTexts));

// Limits that take many lines to pass.
TEST(MalformedText, MoreSheetsOrPinsThanAFileHolds) {
    std::string sheets = "sheet-file\n";
    for (int i = 0; i < 33; ++i)
        sheets += "sheet code=4\n";
    expectError({sheets.c_str(), 34, 1, "a sheet file holds at most 32 sheets"});
    std::string pins = "library-file\nheader name-table=54 part-table=58 part-data=60 "
                       "strings=60\npart name=\"A\" name-at=0 record-at=0 width=1 height=1 "
                       "blocks=0\n";
    for (int i = 0; i < 4096; ++i)
        pins += "pin side=left offset=1\n";
    expectError({pins.c_str(), 4099, 1, "a part holds at most 4095 pins"});
}

TEST(Build, ReportsFileLineAndColumnAndWritesNothing) {
    TempDir dir;
    dir.write("bad.txt", std::string("sheet-file\n\nwire from=1,2 to=3\n"));
    RunResult run = runTool({"build", "bad.txt", "-o", "out.sch"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "bad.txt:3:18: expected a point: x,y\n");
    EXPECT_FALSE(dir.exists("out.sch"));
}

TEST(Build, WritesTheFileAndTakesTheOutputEitherWay) {
    TempDir dir;
    dir.write("a.txt", std::string("sheet-file\r\njunction at=1,-2\r\n"));
    RunResult run = runTool({"build", "-oout.sch", "a.txt"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.read("out.sch"), std::string("\x00\x00\x01\x00\xfe\xff", 6));
}

// Every bad command line ends with status 2, its error on one line and the
// way to the command's help on the next (the usage where no command is
// named), and nothing on the standard output.
TEST(Usage, BadCommandLinesExitWithTwo) {
    TempDir dir;
    struct Case {
        std::vector<std::string> command;
        std::string err;
    };
    const std::string usage = "usage: sheettool dump <file> [--no-offsets]\n";
    for (const Case& c : std::vector<Case>{
             {{}, usage},
             {{"frobnicate"}, usage},
             {{"dump"}, "sheettool: file is required\nSee sheettool dump --help.\n"},
             {{"dump", "a", "b"},
              "sheettool: The following argument was not expected: b\nSee sheettool dump "
              "--help.\n"},
             {{"build", "a.txt"}, "sheettool: -o is required\nSee sheettool build --help.\n"},
             {{"build", "-o", "x"}, "sheettool: text is required\nSee sheettool build --help.\n"},
             {{"build", "a.txt", "-o", ""},
              "sheettool: -o: names nothing\nSee sheettool build --help.\n"},
             {{"check"}, "sheettool: sheet is required\nSee sheettool check --help.\n"},
             {{"check", "a.sch", "b.sch"},
              "sheettool: sheet: At Most 1 required but received 2\nSee sheettool check --help.\n"},
             {{"check", "a.sch", "-x"},
              "sheettool: The following argument was not expected: -x\n"
              "See sheettool check --help.\n"},
             {{"check", "a.sch", "-w"},
              "sheettool: -w: 1 required NAME missing\nSee sheettool check --help.\n"},
             {{"nets", "a.sch", "-w", ""},
              "sheettool: -w: names nothing\nSee sheettool nets --help.\n"},
             {{"view", "a.sch", "--config", ""},
              "sheettool: --config: names nothing\nSee sheettool view --help.\n"},
             {{"diff", "a.sch", "b.sch", "--old-config", ""},
              "sheettool: --old-config: names nothing\nSee sheettool diff --help.\n"},
             {{"nets", "a.sch", "-o", "a", "-o", "b"},
              "sheettool: -o: At Most 1 required but received 2\nSee sheettool nets --help.\n"},
             {{"diff", "a.sch"},
              "sheettool: diff takes OLD and NEW, or --git OLD [NEW] [SHEET...]\nSee sheettool "
              "diff --help.\n"},
             {{"diff", "a.sch", "b.sch", "c.sch"},
              "sheettool: diff takes OLD and NEW, or --git OLD [NEW] [SHEET...]\nSee sheettool "
              "diff --help.\n"},
         }) {
        RunResult run = runTool(c.command, dir.path());
        EXPECT_EQ(run.status, 2) << c.command.size();
        if (c.err == usage)
            EXPECT_EQ(run.err.rfind(usage, 0), 0u) << run.err;
        else
            EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
    RunResult help = runTool({"--help"}, dir.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind(usage, 0), 0u);
}

// Each command has its own help, with every option it takes.
TEST(Usage, EachCommandHasItsHelp) {
    TempDir dir;
    for (const auto& [command, options] :
         std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"dump", {"file"}},
             {"build", {"text", "-o FILE"}},
             {"nets", {"-p", "-w NAME", "-s", "--config FILE", "--json", "-o FILE"}},
             {"check",
              {"--severity TYPE=LEVEL", "--fail-on LEVEL", "--waivers FILE", "--write-waivers FILE",
               "--sarif"}},
             {"diff", {"old", "new", "--old-config FILE", "--new-config FILE"}},
             {"view", {"-o FILE"}},
         }) {
        for (const char* asked : {"--help", "-h"}) {
            RunResult help = runTool({command, asked}, dir.path());
            EXPECT_EQ(help.status, 0);
            EXPECT_EQ(help.err, "");
            EXPECT_NE(help.out.find("Usage: sheettool " + command + " [OPTIONS]"),
                      std::string::npos)
                << help.out;
            for (const std::string& option : options)
                EXPECT_NE(help.out.find(option), std::string::npos) << command << ": " << option;
        }
    }
}

} // namespace
} // namespace dovla::sheettool::testing
