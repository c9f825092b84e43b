#include <string>
#include <vector>

#include "sheettool_fixture.h"
#include "writers/library_writer.h"
#include "writers/sheet_writer.h"

namespace dovla::sheettool::testing {
namespace {

using writers::LibraryWriter;
using writers::SheetWriter;

TEST(Dump, NamesEveryFieldOfASheet) {
    TempDir dir;
    SheetWriter sheet;
    sheet.header(2)
        .wire(110, 20, 10, 20)
        .busEntry(100, 200, 3)
        .label(50, 20, "D\"0", 8)
        .part(500, 300, "R1", "RES", "RES", 6, 1)
        .comment("x")
        .extension(20, 16);
    dir.write("a.sch", sheet.bytes());
    RunResult run = runTool({"dump", "a.sch"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "sheet-file\n"
              "sheet     code=2  # sheet 1: 1600x1200, origin 3000,2000\n"
              "wire      from=110,20 to=10,20  # sheet 1: 3110,2020 - 3010,2020\n"
              "bus-entry at=100,200 attr=mirrored+wire-entry  # sheet 1: 3100,2200 - 3090,2190\n"
              "label     at=50,20 text=\"D\\\"0\" attr=vertical  # sheet 1: 3050,2020\n"
              "part      at=500,300 ref=\"R1\" name=\"RES\" lib=\"RES\" dir=6 block=1  # sheet 1: "
              "3500,2300; rotation 2, mirrored\n"
              "record7   bytes=78000000000000000000000000000000000000000000000000000000000000000000"
              "000000  # sheet 1\n"
              "extension type=20 length=16 data=eeee  # sheet 1\n");
}

TEST(Dump, NamesEveryFieldOfALibrary) {
    TempDir dir;
    writers::LibPartDescription gate{"NAND", 4, 4, 2, 0, {}};
    gate.pins = {{writers::pinAt(0, 1), "A", {writers::pinNumber(1), writers::pinNumber(4, 'B')}},
                 {writers::pinAt(2, 2), "", {writers::pinNumber(3), writers::pinNumber(6)}}};
    LibraryWriter().add(gate).simple("RES", 1).simple("R2", 1).save(dir.file("a.lib"));
    RunResult run = runTool({"dump", "a.lib"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "library-file\n"
                       "header parts=3 name-table=54 part-table=66 part-data=87 strings=72\n"
                       "part name=\"NAND\" name-at=3 record-at=0 width=4 height=4 blocks=2 "
                       "pins=2  # part 0, record at 87\n"
                       "  pin side=left offset=1 numbers=1,B4 name=\"A\" name-at=1\n"
                       "  pin side=right offset=2 numbers=3,6\n"
                       "part name=\"RES\" name-at=8 record-at=28 width=4 height=2 blocks=1 "
                       "pins=1  # part 1, record at 115\n"
                       "  pin side=left offset=1 numbers=1\n"
                       "part name=\"R2\" name-at=12 record-at=28  # part 2, the record of part 1\n"
                       "gap at=72 bytes=00\n");
}

// A damaged file: what comes before the damage, where it is, and dovla32's
// own message.
struct Damage {
    const char* name;
    std::vector<std::uint8_t> bytes;
    int items; // items dumped before the damage
    std::size_t offset;
    const char* message;
};

std::vector<std::uint8_t> withByte(SheetWriter sheet, std::size_t at, int value) {
    std::vector<std::uint8_t> bytes = sheet.bytes();
    bytes[at] = static_cast<std::uint8_t>(value);
    return bytes;
}

std::vector<Damage> damages() {
    std::vector<Damage> all;
    all.push_back({"an invalid record type",
                   SheetWriter().header().wire(1, 2, 3, 4).raw({12, 0, 0}).bytes(), 2, 70,
                   "don't sheet file!"});
    std::vector<std::uint8_t> cut = SheetWriter().header().junction(1, 2).wire(1, 2, 3, 4).bytes();
    cut.resize(cut.size() - 3);
    all.push_back({"a record cut short", cut, 2, 66, "file read error!"});
    all.push_back({"a header without the magic",
                   withByte(SheetWriter().junction(1, 1).header(), 8, 'x'), 1, 6,
                   "don't sheet file!"});
    SheetWriter many;
    for (int i = 0; i < 33; ++i)
        many.header();
    all.push_back({"a 33rd sheet", many.bytes(), 32, 32 * 60, "too many sheet!"});
    all.push_back({"a label text longer than its field",
                   withByte(SheetWriter().header().label(1, 2, "AB"), 60 + 6, 12), 1, 60,
                   "don't sheet file!"});
    all.push_back({"an extension record shorter than its head",
                   withByte(SheetWriter().extension(30, 14), 10, 13), 0, 0, "don't sheet file!"});
    return all;
}

class DamagedSheet : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedSheet, IsDumpedUpToTheDamageWithDovla32sMessage) {
    const Damage& damage = GetParam();
    TempDir dir;
    dir.write("bad.sch", damage.bytes);
    dir.write("TAVEL.INI", std::string("[Library]\n"));
    RunResult run = runTool({"dump", "bad.sch"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, std::string("sheettool: ") + damage.message + "\n");
    std::vector<std::string> lines = splitText(run.out);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(damage.items) + 2) << run.out;
    EXPECT_EQ(lines.front(), "sheet-file");
    EXPECT_EQ(lines.back(),
              "# damaged at offset " + std::to_string(damage.offset) + ": " + damage.message);
    RunResult dovla = dovla::testing::runProgram({"bad.sch"}, dir.path());
    EXPECT_EQ(dovla.status, 1);
    EXPECT_NE(dovla.err.find(std::string("dovla32: ") + damage.message + "\n"), std::string::npos)
        << dovla.err;
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedSheet, ::testing::ValuesIn(damages()),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c != '\0'; ++c)
                                 name += *c == ' ' || *c == '\'' ? '_' : *c;
                             return name;
                         });

// dovla32 reads a part's record only when a sheet places the part, so a
// library whose unused records are damaged is one it accepts: dump writes
// it, and its text builds the same bytes again.
TEST(DamagedLibrary, AnUnreadableRecordIsDumpedAsSuchAndBuildsBack) {
    TempDir dir;
    writers::LibPartDescription bad{"BAD", 4, 3, 1, 0, {{writers::pinAt(0, 1), "X", {1}, 0}}};
    LibraryWriter().simple("GOOD", 1).add(bad).add(bad).save(dir.file("bad.lib"));
    RunResult run = runTool({"dump", "bad.lib"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    std::vector<std::string> lines = splitText(run.out);
    ASSERT_GE(lines.size(), 6u) << run.out;
    EXPECT_EQ(lines[2].rfind("part name=\"GOOD\"", 0), 0u);
    EXPECT_EQ(lines[4].rfind("part name=\"BAD\" name-at=8 record-at=18 readable=no  # part 1, "
                             "record at 106 damaged: file read error!",
                             0),
              0u)
        << run.out;
    EXPECT_NE(lines[5].find("readable=no"), std::string::npos) << run.out;
    dir.write("bad.txt", run.out);
    RunResult built = runTool({"build", "bad.txt", "-o", "rebuilt.lib"}, dir.path());
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(dir.read("rebuilt.lib"), dir.read("bad.lib"));

    dir.write("TAVEL.INI", std::string("[Library]\nLIB0=bad.lib\n"));
    SheetWriter().header().part(100, 100, "U1", "GOOD", "GOOD").save(dir.file("good.sch"));
    EXPECT_EQ(dovla::testing::runProgram({"good.sch"}, dir.path()).status, 0);
    EXPECT_EQ(runTool({"nets", "good.sch"}, dir.path()).status, 0);
    SheetWriter().header().part(100, 100, "U1", "BAD", "BAD").save(dir.file("a.sch"));
    RunResult dovla = dovla::testing::runProgram({"a.sch"}, dir.path());
    EXPECT_EQ(dovla.status, 1);
    EXPECT_NE(dovla.err.find("dovla32: file read error!\n"), std::string::npos) << dovla.err;
}

TEST(DamagedLibrary, ShorterThanItsHeader) {
    TempDir dir;
    dir.write("short.lib", std::string("LIB FOR KV and no more"));
    RunResult run = runTool({"dump", "short.lib"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "library-file\n# damaged: file read error!\n");
    EXPECT_EQ(run.err, "sheettool: file read error!\n");
}

TEST(Dump, AFileThatCannotBeOpened) {
    TempDir dir;
    RunResult run = runTool({"dump", "missing.sch"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "sheettool: can't open: missing.sch\n");
}

} // namespace
} // namespace dovla::sheettool::testing
