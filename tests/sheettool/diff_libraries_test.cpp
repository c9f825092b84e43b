#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "diff_designs.h"
#include "sheettool_fixture.h"

// sheettool diff where the change is in the libraries or the configuration
// the design is read with, and between two library files.
namespace dovla::sheettool::testing {
namespace {

class DiffLibraries : public ::testing::Test {
  protected:
    // A folder with a TAVEL.INI and the libraries it names, each built from
    // its text.
    void folder(const std::string& name,
                const std::vector<std::pair<std::string, std::string>>& libraries) {
        std::filesystem::create_directory(dir.file(name));
        std::string configuration = "[Library]\n";
        for (std::size_t i = 0; i < libraries.size(); ++i) {
            const auto& [file, text] = libraries[i];
            configuration += "LIB" + std::to_string(i) + "=" + file + "\n";
            library(name + "/" + file, text);
        }
        dir.write(name + "/TAVEL.INI", configuration);
    }
    void library(const std::string& path, const std::string& text) {
        dir.write(path + ".txt", text);
        RunResult built = tool({"build", path + ".txt", "-o", path});
        ASSERT_EQ(built.status, 0) << built.err;
    }
    void sheet(const std::string& path, const std::string& text) {
        dir.write(path + ".txt", text);
        RunResult built = tool({"build", path + ".txt", "-o", path});
        ASSERT_EQ(built.status, 0) << built.err;
    }
    RunResult tool(const std::vector<std::string>& arguments) {
        return runTool(arguments, dir.path());
    }
    RunResult diffWith(const std::string& oldFolder, const std::string& newFolder) {
        return tool({"diff", "board.sch", "board.sch", "--old-config", oldFolder + "/TAVEL.INI",
                     "--new-config", newFolder + "/TAVEL.INI"});
    }
    TempDir dir;
};

struct LibraryCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> libraries; // the new side's
    std::string changes;
};

void PrintTo(const LibraryCase& c, std::ostream* out) {
    *out << c.name;
}

class LibraryRevision : public DiffLibraries, public ::testing::WithParamInterface<LibraryCase> {};

// The same sheet read with the libraries of two revisions: each library
// part's differences come first, once, then what they do to the nets.
TEST_P(LibraryRevision, ReportsTheLibraryChangeAndWhatItDoes) {
    sheet("board.sch", ledBoard);
    folder("old", {{"parts.lib", partsLibrary}});
    folder("new", GetParam().libraries);
    RunResult run = diffWith("old", "new");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "diff board.sch board.sch\n" + GetParam().changes);
    EXPECT_EQ(run.status, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, LibraryRevision,
    ::testing::Values(
        // A pin name shows in the net list: a change, though no pin moved.
        LibraryCase{"PinRenamed",
                    {{"parts.lib", replaced(partsLibrary, "name=\"PA0\"", "name=\"AD0\"")}},
                    "sheets: identical, every change comes from the libraries\n"
                    "library part MCU4: pin 1 renamed PA0 -> AD0\n"},
        // The anode and cathode trade numbers: two pins move, no net breaks.
        LibraryCase{"PinNumbersSwapped",
                    {{"parts.lib", swappedLed()}},
                    "sheets: identical, every change comes from the libraries\n"
                    "library part LED: pins 1 and 2 swapped\n"
                    "pin moved: D1.1 from LEDA to RET (sheet 1 at 510,290)\n"
                    "pin moved: D1.2 from RET to LEDA (sheet 1 at 460,290)\n"},
        // A taller body moves every pin of the part down the sheet.
        LibraryCase{"PinMovedBodyGrown",
                    {{"parts.lib",
                      replaced(replaced(partsLibrary, "width=4 height=5", "width=4 height=6"),
                               "side=right offset=1 numbers=3", "side=right offset=3 numbers=3")}},
                    "sheets: identical, every change comes from the libraries\n"
                    "library part MCU4: body 4x5 -> 4x6\n"
                    "library part MCU4: pin 3 moved right 1 -> right 3\n"
                    "pin connected: U1.2 to IN (sheet 1 at 250,260)\n"
                    "pin connected: U1.4 to LEDA (sheet 1 at 310,260)\n"
                    "pin disconnected: U1.1 from IN (sheet 1 at 250,250)\n"
                    "pin disconnected: U1.3 from LEDA (sheet 1 at 310,270)\n"},
        LibraryCase{"PinAddedAndRemoved",
                    {{"parts.lib",
                      replaced(partsLibrary, "  pin side=left offset=2 numbers=2 name=\"PA1\"\n",
                               "  pin side=left offset=3 numbers=5 name=\"RST\"\n")}},
                    "sheets: identical, every change comes from the libraries\n"
                    "library part MCU4: pin 2 removed (was left 2)\n"
                    "library part MCU4: pin 5 added (left 3)\n"},
        // Pin 1 takes pin 2's place, but pin 2 goes elsewhere: no swap.
        LibraryCase{"PinTakesAnotherPinsPlace",
                    {{"parts.lib",
                      replaced(replaced(partsLibrary, "side=left offset=1 numbers=1",
                                        "side=left offset=2 numbers=1"),
                               "side=left offset=2 numbers=2", "side=left offset=4 numbers=2")}},
                    "sheets: identical, every change comes from the libraries\n"
                    "library part MCU4: pin 1 moved left 1 -> left 2\n"
                    "library part MCU4: pin 2 moved left 2 -> left 4\n"
                    "net removed: IN with U1.1 (was on sheet 1 at 250,260)\n"},
        // A vendor library listed first: the LED now comes from it, and the
        // configuration line says why.
        LibraryCase{"VendorLibraryFirst",
                    {{"vendor.lib", swappedLed()}, {"parts.lib", partsLibrary}},
                    "libraries: old parts.lib; new vendor.lib, parts.lib\n"
                    "sheets: identical, every change comes from the libraries\n"
                    "library part LED: now from vendor.lib (was parts.lib)\n"
                    "library part LED: pins 1 and 2 swapped\n"
                    "library part MCU4: now from vendor.lib (was parts.lib)\n"
                    "pin moved: D1.1 from LEDA to RET (sheet 1 at 510,290)\n"
                    "pin moved: D1.2 from RET to LEDA (sheet 1 at 460,290)\n"}),
    [](const ::testing::TestParamInfo<LibraryCase>& info) { return info.param.name; });

// Libraries that differ only where the design does not look, or a
// library part that only moved to another file, change nothing.
TEST_F(DiffLibraries, ALibraryMoveThatChangesNoPartIsNoChange) {
    sheet("board.sch", ledBoard);
    folder("old", {{"parts.lib", partsLibrary}});
    folder("new",
           {{"vendor.lib", partsLibrary + "part name=\"SPARE\" width=2 height=2 blocks=1\n"}});
    RunResult run = diffWith("old", "new");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.status, 0);
    nlohmann::json json =
        nlohmann::json::parse(tool({"diff", "board.sch", "board.sch", "--old-config",
                                    "old/TAVEL.INI", "--new-config", "new/TAVEL.INI", "--json"})
                                  .out);
    EXPECT_EQ(json["changed"], false);
    EXPECT_EQ(json["configuration"]["newLibraries"], nlohmann::json::parse(R"(["vendor.lib"])"));
    EXPECT_EQ(json["libraryChanges"][0],
              nlohmann::json::parse(R"({"libName":"LED","kind":"source","pins":[],
                  "from":"parts.lib","to":"vendor.lib"})"));
}

// A TAVEL.INI that changed but names the same libraries is said to have
// changed; a sheet changed within its size is not identical.
TEST_F(DiffLibraries, SaysWhatTheSidesWereReadWith) {
    sheet("board.sch", ledBoard);
    sheet("renamed.sch", replaced(ledBoard, "text=\"RET\"", "text=\"REX\""));
    folder("old", {{"parts.lib", partsLibrary}});
    folder("new", {{"parts.lib", replaced(partsLibrary, "name=\"PA0\"", "name=\"AD0\"")}});
    dir.write("new/TAVEL.INI",
              "; the board's libraries\n" + dovla::testing::readFile(dir.file("new/TAVEL.INI")));
    RunResult run = tool({"diff", "board.sch", "renamed.sch", "--old-config", "old/TAVEL.INI",
                          "--new-config", "new/TAVEL.INI"});
    EXPECT_EQ(run.out, "diff board.sch renamed.sch\n"
                       "configuration: TAVEL.INI changed, the same libraries\n"
                       "library part MCU4: pin 1 renamed PA0 -> AD0\n"
                       "net renamed: RET -> REX (sheet 1 at 510,290)\n");
    EXPECT_EQ(run.status, 1);
}

// Two library files compared part by part, as git's diff driver for
// libraries and difftool run it.
TEST_F(DiffLibraries, ComparesTwoLibraryFiles) {
    library("old.lib", partsLibrary);
    library("new.lib",
            replaced(replaced(swappedLed(), "name=\"PA0\"", "name=\"AD0\""), "part name=\"LED\"",
                     "part name=\"CAP\" width=2 height=2 blocks=1\n"
                     "  pin side=left offset=1 numbers=1\n"
                     "part name=\"LED\"") +
                "");
    library("less.lib",
            "library-file\nheader\n" + partsLibrary.substr(partsLibrary.find("part name=\"LED\"")));
    RunResult run = tool({"diff", "old.lib", "new.lib"});
    EXPECT_EQ(run.out, "diff old.lib new.lib\n"
                       "library part added: CAP\n"
                       "library part LED: pins 1 and 2 swapped\n"
                       "library part MCU4: pin 1 renamed PA0 -> AD0\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(tool({"diff", "old.lib", "less.lib"}).out,
              "diff old.lib less.lib\nlibrary part removed: MCU4\n");
    // Swapped, and the pin now on the left renamed: the name that went
    // with its place is none.
    library("renamed.lib", replaced(swappedLed(), "name=\"A\"", "name=\"AN\""));
    EXPECT_EQ(tool({"diff", "old.lib", "renamed.lib"}).out,
              "diff old.lib renamed.lib\nlibrary part LED: pins 1 and 2 swapped\n"
              "library part LED: pin 2 renamed K -> AN\n");
    // Another block's number of a pin of a part of several blocks.
    const std::string gates =
        dovla::testing::readFile(std::string(EXAMPLE_SOURCE_DIR) + "/logic.lib.txt");
    library("gates.lib", gates);
    library("regates.lib", replaced(gates, "numbers=1,4,9,12", "numbers=1,4,9,14"));
    EXPECT_EQ(
        tool({"diff", "gates.lib", "regates.lib"}).out,
        "diff gates.lib regates.lib\nlibrary part 7400: pin 1 numbers 1/4/9/12 -> 1/4/9/14\n");
    RunResult same = tool({"diff", "old.lib", "old.lib"});
    EXPECT_EQ(same.out, "");
    EXPECT_EQ(same.status, 0);
    sheet("board.sch", ledBoard);
    RunResult mixed = tool({"diff", "old.lib", "board.sch"});
    EXPECT_EQ(mixed.err, "sheettool: diff compares two sheets or two libraries: board.sch is no "
                         "library\n");
    EXPECT_EQ(mixed.status, 2);
}

struct SheetCase {
    const char* name;
    std::string oldSheet, newSheet;
    std::string changes;
};

void PrintTo(const SheetCase& c, std::ostream* out) {
    *out << c.name;
}

class SheetRevision : public DiffLibraries, public ::testing::WithParamInterface<SheetCase> {};

TEST_P(SheetRevision, ReportsPinsAndPowerSymbolsAsTheyChanged) {
    folder("libs", {{"basic.lib", dovla::testing::readFile(std::string(EXAMPLE_SOURCE_DIR) +
                                                           "/basic.lib.txt")}});
    sheet("old.sch", "sheet-file\n" + GetParam().oldSheet);
    sheet("new.sch", "sheet-file\n" + GetParam().newSheet);
    RunResult run = tool({"diff", "old.sch", "new.sch", "--config", "libs/TAVEL.INI"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "diff old.sch new.sch\n" + GetParam().changes);
    EXPECT_EQ(run.status, 1);
}

// R1, R4 and R5 in a row on unnamed nets; VCC on R1.1's wire.
const std::string row = "sheet code=4\n"
                        "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                        "part at=400,110 ref=\"R4\" name=\"RES\" lib=\"RES\"\n"
                        "part at=600,110 ref=\"R5\" name=\"RES\" lib=\"RES\"\n"
                        "wire from=210,100 to=350,100\nwire from=410,100 to=550,100\n"
                        "wire from=100,100 to=150,100\n"
                        "part at=110,90 ref=\"\" name=\"VCC\" lib=\"VCC\"\n";

INSTANTIATE_TEST_SUITE_P(
    Sheets, SheetRevision,
    ::testing::Values(
        // R4 turned half a turn: its pins trade ends, every other pin keeps
        // its partners: two pins moved, whatever the nets are called.
        SheetCase{"PartTurnedInPlace", row,
                  replaced(row, "part at=400,110 ref=\"R4\" name=\"RES\" lib=\"RES\"",
                           "part at=400,110 ref=\"R4\" name=\"RES\" lib=\"RES\" dir=2"),
                  "pin moved: R4.1 from R1.2 to R4.1 (sheet 1 at 410,100)\n"
                  "pin moved: R4.2 from R4.2 to R1.2 (sheet 1 at 350,100)\n"},
        // A second VCC symbol on a net that has one, and one on a new
        // sheet with its own part, are counted; the part is listed.
        SheetCase{"PowerSymbolsCounted", row,
                  row + "part at=130,90 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                        "sheet code=4\npart at=200,110 ref=\"R7\" name=\"RES\" lib=\"RES\"\n"
                        "wire from=100,100 to=150,100\n"
                        "part at=110,90 ref=\"\" name=\"VCC\" lib=\"VCC\"\n",
                  "part added: R7 RES (sheet 2 at 200,110)\n"
                  "    R7.1 on VCC\n"
                  "    R7.2 on no net\n"
                  "power symbols: +1 VCC on sheet 1\n"
                  "power symbols: +1 VCC on sheet 2\n"},
        SheetCase{"PowerSymbolsRemoved", row + "part at=130,90 ref=\"\" name=\"VCC\" lib=\"VCC\"\n",
                  row, "power symbols: -1 VCC on sheet 1\n"},
        // A VCC symbol that puts the supply on a net that had none is a
        // part of the change: it merged that net into VCC.
        SheetCase{"APowerSymbolThatNamesANet", row,
                  row + "part at=220,90 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                        "junction at=210,100\n",
                  "part added: (without reference) VCC (sheet 1 at 220,90)\n"
                  "    .1 on VCC\n"
                  "nets merged: R1.2 into VCC (sheet 1 at 210,100)\n"
                  "    R1.2 from R1.2 to VCC\n"
                  "    R4.1 from R1.2 to VCC\n"}),
    [](const ::testing::TestParamInfo<SheetCase>& info) { return info.param.name; });

} // namespace
} // namespace dovla::sheettool::testing
