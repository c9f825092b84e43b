#include <string>
#include <vector>

#include "sheettool_fixture.h"
#include "writers/library_writer.h"
#include "writers/sheet_writer.h"

namespace dovla::sheettool::testing {
namespace {

using writers::LibPartDescription;
using writers::LibraryWriter;
using writers::pinAt;
using writers::pinNumber;
using writers::SheetWriter;

// A directory with a library and the TAVEL.INI that names it. RES has its
// pins 50 units left of its origin and 20 and 10 above it, TP its one pin
// 50 left and 10 above.
class CheckRun : public ::testing::Test {
  protected:
    void SetUp() override {
        LibPartDescription gate{"GATE", 4, 2,
                                2,      0, {{pinAt(0, 1), "", {pinNumber(1), pinNumber(2)}}}};
        LibraryWriter().simple("RES", 2).simple("TP", 1).simple("GND", 1).add(gate).save(
            dir.file("test.lib"));
        dir.write("TAVEL.INI", std::string("[Library]\nLIB0=test.lib\n"));
    }

    RunResult check(const SheetWriter& sheet, std::vector<std::string> options = {}) {
        sheet.save(dir.file("a.sch"));
        options.insert(options.begin(), {"check", "a.sch"});
        return runTool(options, dir.path());
    }

    TempDir dir;
};

TEST_F(CheckRun, ListsOneOfEachFindingWithItsSheetAndPlace) {
    SheetWriter sheet;
    sheet.header()
        .part(200, 100, "R1", "RES", "RES")
        .part(400, 100, "R2", "RES", "RES")
        .wire(150, 80, 350, 80)
        .wire(350, 90, 300, 90)
        .part(300, 330, "R3", "RES", "RES")
        .part(150, 330, "R4", "RES", "RES")
        .wire(100, 310, 250, 310)
        .label(120, 310, "A")
        .label(160, 310, "B")
        .wire(100, 320, 250, 320)
        .label(600, 600, "NOWHERE")
        .busEntry(700, 100, 2)
        .part(800, 800, "U9", "NOSUCH", "NOSUCH")
        .part(900, 300, "U2", "GATE", "GATE", 0, 5)
        .header()
        .part(150, 110, "TP1", "TP", "TP")
        .wire(100, 100, 300, 100)
        .wire(200, 100, 200, 200)
        .tag(600, 700, "LOST");
    RunResult run = check(sheet);
    EXPECT_EQ(run.status, 1);
    // The warnings of the binding (can't find, bad block) stay silent.
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(withoutReadLine(run.out),
              "a.sch: sheet 1 at 150,90: warning: pin R1 RES [2] belongs to no net [lonely-pin]\n"
              "a.sch: sheet 1 at 350,90: warning: pin R2 RES [2] is the only pin of its net "
              "[single-pin-net]\n"
              "a.sch: sheet 1 at 300,90: warning: wire end touches nothing [open-wire-end]\n"
              "a.sch: sheet 1 at 600,600: warning: label \"NOWHERE\" names nothing [unused-name]\n"
              "a.sch: sheet 1 at 160,310: warning: net carries 2 names: \"A\", \"B\" [two-names]\n"
              "a.sch: sheet 1 at 700,100: warning: bus entry touches no bus [open-bus-entry]\n"
              "a.sch: sheet 1 at 800,800: error: part U9 NOSUCH: no library holds \"NOSUCH\" "
              "[unknown-part]\n"
              "a.sch: sheet 1 at 900,300: error: part U2 GATE: block 6 of a part with 2 blocks "
              "[bad-block]\n"
              "a.sch: sheet 2 at 100,100: warning: pin TP1 TP [1] is the only pin of its net "
              "[single-pin-net]\n"
              "a.sch: sheet 2 at 200,100: warning: wire end touches items but is joined to none of "
              "them [open-wire-end]\n"
              "a.sch: sheet 2 at 200,200: warning: wire end touches nothing [open-wire-end]\n"
              "a.sch: sheet 2 at 300,100: warning: wire end touches nothing [open-wire-end]\n"
              "a.sch: sheet 2 at 600,700: warning: tag \"LOST\" names nothing [unused-name]\n"
              "a.sch: 2 errors, 11 warnings, 0 info, 0 waived; ignored: none; fails on: error\n");
}

TEST_F(CheckRun, ACleanDesignGivesNothingAndExitsWithZero) {
    SheetWriter sheet;
    sheet.header()
        .part(200, 100, "R1", "RES", "RES")
        .part(400, 100, "R2", "RES", "RES")
        .wire(150, 80, 350, 80)
        .wire(150, 90, 250, 90)
        .wire(250, 90, 350, 90)
        .label(200, 80, "X")
        .tag(250, 90, "Y")
        .header()
        .part(400, 100, "R3", "RES", "RES")
        .tag(250, 80, "Y")
        .wire(270, 80, 350, 80)
        .wire(350, 90, 300, 90)
        .part(350, 100, "", "GND", "GND");
    RunResult run = check(sheet, {"--fail-on", "info"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(withoutReadLine(run.out),
              "a.sch: 0 errors, 0 warnings, 0 info, 0 waived; ignored: none; fails on: info\n");
    EXPECT_EQ(run.status, 0);
}

// The options change the nets as they change dovla32's.
struct OptionCase {
    const char* name;
    std::vector<std::string> options;
    int findings;
};

class CheckOptions : public CheckRun, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(CheckOptions, ChangeTheNetsAsInDovla32) {
    SheetWriter sheet;
    // Two power symbols on two sheets, and a bus entry whose end lies 15
    // units into a bus.
    sheet.header()
        .part(200, 100, "", "GND", "GND")
        .bus(100, 500, 300, 500)
        .busEntry(115, 500)
        .header()
        .part(200, 100, "", "GND", "GND");
    std::vector<std::string> options = GetParam().options;
    options.insert(options.end(), {"--fail-on", "warning"});
    RunResult run = check(sheet, options);
    // Each finding a line, and the summary.
    EXPECT_EQ(splitText(withoutReadLine(run.out)).size(),
              static_cast<std::size_t>(GetParam().findings) + 1)
        << run.out;
    EXPECT_EQ(run.status, GetParam().findings == 0 ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Options, CheckOptions,
                         ::testing::Values(OptionCase{"defaults", {}, 1},
                                           OptionCase{"finer_scan", {"-s"}, 0},
                                           OptionCase{"no_power_names", {"-s", "-p"}, 2},
                                           OptionCase{"named_power", {"-p", "-wGND", "-s"}, 0}),
                         [](const ::testing::TestParamInfo<OptionCase>& info) {
                             return info.param.name;
                         });

TEST_F(CheckRun, ABadFileOrLibraryExitsWithTwo) {
    RunResult damaged = check(SheetWriter().header().raw({11}));
    EXPECT_EQ(damaged.status, 2);
    EXPECT_EQ(damaged.out, "");
    EXPECT_EQ(damaged.err, "sheettool: don't sheet file!\n");
    dir.write("TAVEL.INI", std::string("[Library]\nLIB0=missing.lib\n"));
    RunResult missing = check(SheetWriter().header());
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "sheettool: can't open: missing.lib\n");
    RunResult noSheet = runTool({"check", "none.sch"}, dir.path());
    EXPECT_EQ(noSheet.status, 2);
    EXPECT_EQ(noSheet.err, "sheettool: can't open: none.sch\n");
}

} // namespace
} // namespace dovla::sheettool::testing
