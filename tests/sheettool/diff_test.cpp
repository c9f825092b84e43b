#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "design_texts.h"
#include "diff_designs.h"

// sheettool diff on revision pairs built from texts: each kind of change,
// and changes that are none.
namespace dovla::sheettool::testing {
namespace {

// Named nets A (R1.2, R2.1 and, through a junction and a wire, R8.1), B
// (R3.2, R4.1) and C (R5.2, R7.1 and, down a wire from a junction, R9.1),
// and an unnamed net of R11.2 and R12.1.
const std::string base = "sheet code=4\n"
                         "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                         "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                         "wire from=210,100 to=350,100\n"
                         "label at=280,100 text=\"A\"\n"
                         "junction at=350,100\n"
                         "wire from=350,100 to=350,200\n"
                         "part at=400,210 ref=\"R8\" name=\"RES\" lib=\"RES\"\n"
                         "part at=200,310 ref=\"R3\" name=\"RES\" lib=\"RES\"\n"
                         "part at=400,310 ref=\"R4\" name=\"RES\" lib=\"RES\"\n"
                         "wire from=210,300 to=350,300\n"
                         "label at=280,300 text=\"B\"\n"
                         "part at=200,510 ref=\"R5\" name=\"RES\" lib=\"RES\"\n"
                         "part at=600,510 ref=\"R7\" name=\"RES\" lib=\"RES\"\n"
                         "wire from=210,500 to=550,500\n"
                         "label at=250,500 text=\"C\"\n"
                         "junction at=350,500\n"
                         "wire from=350,500 to=350,600\n"
                         "part at=400,610 ref=\"R9\" name=\"RES\" lib=\"RES\"\n"
                         "part at=200,810 ref=\"R11\" name=\"RES\" lib=\"RES\"\n"
                         "part at=400,810 ref=\"R12\" name=\"RES\" lib=\"RES\"\n"
                         "wire from=210,800 to=350,800\n";

// Every coordinate of a text moved by (dx, dy), and its lines reversed.
std::string redrawn(const std::string& text, int dx, int dy) {
    std::vector<std::string> lines = splitText(text);
    std::string out = lines[0] + "\n";
    for (std::size_t i = lines.size(); i-- > 1;) {
        std::string line = lines[i];
        std::string moved;
        std::size_t at = 0;
        for (std::size_t eq; (eq = line.find('=', at)) != std::string::npos;) {
            moved += line.substr(at, eq + 1 - at);
            std::size_t comma = line.find(',', eq);
            std::size_t end = line.find(' ', eq);
            if (end == std::string::npos)
                end = line.size();
            if (line[eq + 1] != '"' && comma != std::string::npos && comma < end) {
                int x = std::stoi(line.substr(eq + 1, comma - eq - 1));
                int y = std::stoi(line.substr(comma + 1, end - comma - 1));
                moved += std::to_string(x + dx) + "," + std::to_string(y + dy);
            } else {
                moved += line.substr(eq + 1, end - eq - 1);
            }
            at = end;
        }
        out += moved + line.substr(at) + "\n";
    }
    return out;
}

struct DiffCase {
    const char* name;
    std::string revision;
    std::string changes; // the diff's text
};

void PrintTo(const DiffCase& c, std::ostream* out) {
    *out << c.name;
}

class DiffRun : public DesignTexts, public ::testing::WithParamInterface<DiffCase> {};

TEST_P(DiffRun, ReportsTheChangeAlone) {
    sheet("old.sch", base);
    sheet("new.sch", GetParam().revision);
    RunResult run = tool({"diff", "old.sch", "new.sch"});
    EXPECT_EQ(run.err, "");
    const std::string& changes = GetParam().changes;
    EXPECT_EQ(run.out, changes.empty() ? "" : "diff old.sch new.sch\n" + changes);
    EXPECT_EQ(run.status, changes.empty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Revisions, DiffRun,
    ::testing::Values(
        // The wire to R8 now runs down from B's net instead of A's.
        DiffCase{"PinMovesWithAWireEnd",
                 replaced(base, "junction at=350,100\nwire from=350,100 to=350,200\n",
                          "junction at=350,300\nwire from=350,200 to=350,300\n"),
                 "pin moved: R8.1 from A to B (sheet 1 at 350,200)\n"},
        DiffCase{"LabelRenamed", replaced(base, "text=\"A\"", "text=\"AX\""),
                 "net renamed: A -> AX (sheet 1 at 350,100)\n"},
        DiffCase{"NetsJoinedByANewWire",
                 base + "wire from=210,100 to=210,300\njunction at=210,100\njunction at=210,300\n",
                 "nets merged: A into B (sheet 1 at 210,300)\n"
                 "    R1.2 from A to B\n"
                 "    R2.1 from A to B\n"
                 "    R8.1 from A to B\n"},
        DiffCase{"NetSplitByARemovedJunction", replaced(base, "junction at=350,500\n", ""),
                 "net split: C into C, R9.1 (sheet 1 at 350,500)\n"
                 "    R9.1 from C to R9.1\n"},
        // Renamed and split at once: no part of A keeps its key, so A is
        // gone into two new nets.
        DiffCase{"NetSplitIntoTwoNewNets",
                 replaced(replaced(base, "junction at=350,100\n", ""), "text=\"A\"", "text=\"AX\""),
                 "net split: A into AX, R8.1 (sheet 1 at 350,100)\n"
                 "    R1.2 from A to AX\n"
                 "    R2.1 from A to AX\n"
                 "    R8.1 from A to R8.1\n"},
        // R8.1 leaves A and R9.1 leaves C for a new net of the two: no net
        // split off from A or C alone, both pins moved.
        DiffCase{
            "PinsOfTwoKeptNetsMakeANewNet",
            replaced(replaced(base, "junction at=350,100\n", ""), "junction at=350,500\n", "") +
                "wire from=320,200 to=350,200\nwire from=320,200 to=320,600\n"
                "wire from=320,600 to=350,600\n",
            "pin moved: R8.1 from A to R8.1 (sheet 1 at 350,200)\n"
            "pin moved: R9.1 from C to R8.1 (sheet 1 at 350,600)\n"},
        // B and the unnamed net joined under a new name, and R12.2, on no
        // net before, joined to it.
        DiffCase{"NetsMergedIntoANewNet",
                 replaced(base, "text=\"B\"", "text=\"BB\"") +
                     "wire from=210,300 to=210,800\njunction at=210,300\njunction at=210,800\n"
                     "wire from=350,800 to=410,800\n",
                 "nets merged: B, R11.2 into new net BB (sheet 1 at 210,300)\n"
                 "    R11.2 from R11.2 to BB\n"
                 "    R12.1 from R11.2 to BB\n"
                 "    R3.2 from B to BB\n"
                 "    R4.1 from B to BB\n"
                 "pin connected: R12.2 to BB (sheet 1 at 410,800)\n"},
        // R9.1, taken from C, joins R12.1 on the unnamed net, which lost
        // R11.2 to no net: nothing merged, the unnamed net (now known by
        // R12.1) is still the one R12.1 was on.
        DiffCase{"PinsOfTwoNetsMakeANewNet",
                 replaced(replaced(base, "junction at=350,500\n", ""),
                          "wire from=210,800 to=350,800\n",
                          "wire from=350,600 to=350,800\njunction at=350,600\n"),
                 "pin moved: R9.1 from C to R12.1 (sheet 1 at 350,600)\n"
                 "pin disconnected: R11.2 from R11.2 (sheet 1 at 210,800)\n"},
        // The unnamed net, whole, takes the name D and R9.1 from C: one net
        // is no merge; the net was renamed and one pin moved to it.
        DiffCase{"AGoneNetAndAPinMakeANewNet",
                 replaced(base, "junction at=350,500\n", "") +
                     "wire from=350,600 to=350,800\njunction at=350,600\njunction at=350,800\n"
                     "label at=280,800 text=\"D\"\n",
                 "net renamed: R11.2 -> D (sheet 1 at 350,600)\n"
                 "pin moved: R9.1 from C to D (sheet 1 at 350,600)\n"},
        // A new part's pin becomes the unnamed net's smallest: its key
        // changes, but nothing was renamed.
        DiffCase{"ANewSmallestPinIsNoRename",
                 base + "part at=330,810 ref=\"R10\" name=\"RES\" lib=\"RES\"\n",
                 "part added: R10 RES (sheet 1 at 330,810)\n"
                 "    R10.1 on R10.1\n"
                 "    R10.2 on R10.1\n"},
        // A second net named A: the first one's key is told apart from it,
        // but it keeps its name.
        DiffCase{"ANameUsedAgainIsNoRename",
                 base + "part at=200,1010 ref=\"R13\" name=\"RES\" lib=\"RES\"\n"
                        "part at=400,1010 ref=\"R14\" name=\"RES\" lib=\"RES\"\n"
                        "wire from=210,1000 to=350,1000\nlabel at=280,1000 text=\"A\"\n",
                 "part added: R13 RES (sheet 1 at 200,1010)\n"
                 "    R13.1 on no net\n"
                 "    R13.2 on A[R13.2]\n"
                 "part added: R14 RES (sheet 1 at 400,1010)\n"
                 "    R14.1 on A[R13.2]\n"
                 "    R14.2 on no net\n"
                 "net added: A[R13.2] with R13.2, R14.1 (sheet 1 at 350,1000)\n"},
        // Renumbered: each part keeps its place and library part under a
        // new reference, and its pins keep their nets under it; listed by
        // the old references in their natural order.
        DiffCase{"Renumbered",
                 replaced(replaced(replaced(base, "ref=\"R12\"", "ref=\"R13\""), "ref=\"R11\"",
                                   "ref=\"R12\""),
                          "ref=\"R9\"", "ref=\"R19\""),
                 "part renamed: R9 -> R19 RES (sheet 1 at 400,610)\n"
                 "part renamed: R11 -> R12 RES (sheet 1 at 200,810)\n"
                 "part renamed: R12 -> R13 RES (sheet 1 at 400,810)\n"},
        // R9 renumbered R19 where it stands, and a new R9 placed below it:
        // the reference's old part is renamed, the new one added.
        DiffCase{"ARenumberedReferenceReusedElsewhere",
                 replaced(base, "ref=\"R9\"", "ref=\"R19\"") +
                     "part at=400,910 ref=\"R9\" name=\"RES\" lib=\"RES\"\n",
                 "part added: R9 RES (sheet 1 at 400,910)\n"
                 "    R9.1 on no net\n"
                 "    R9.2 on no net\n"
                 "part renamed: R9 -> R19 RES (sheet 1 at 400,610)\n"},
        // The unnamed net takes a name: the same pins, so the same net.
        DiffCase{"UnnamedNetNamed", base + "label at=280,800 text=\"D\"\n",
                 "net renamed: R11.2 -> D (sheet 1 at 350,800)\n"},
        DiffCase{
            "PartsAddedRemovedAndSwapped",
            replaced(replaced(base, "part at=600,510 ref=\"R7\" name=\"RES\" lib=\"RES\"\n", ""),
                     "ref=\"R5\" name=\"RES\" lib=\"RES\"", "ref=\"R5\" name=\"CAP\" lib=\"CAP\"") +
                "part at=800,110 ref=\"R10\" name=\"RES\" lib=\"RES\"\n",
            "part added: R10 RES (sheet 1 at 800,110)\n"
            "    R10.1 on no net\n"
            "    R10.2 on no net\n"
            "part removed: R7 RES (was on sheet 1 at 600,510)\n"
            "    R7.1 was on C\n"
            "    R7.2 was on no net\n"
            "part changed: R5 CAP: name RES -> CAP, library part RES -> CAP (sheet 1 at "
            "200,510)\n"},
        // Everything moved and drawn in the opposite order: the same
        // connections.
        DiffCase{"PureRedraw", redrawn(base, 40, 20), ""},
        // An unnamed net ahead of all others: the package format would
        // renumber its unnamed nets, the matching does not change.
        DiffCase{"UnnamedNetAdded",
                 replaced(base, "sheet code=4\n",
                          "sheet code=4\n"
                          "part at=200,1010 ref=\"R13\" name=\"RES\" lib=\"RES\"\n"
                          "part at=400,1010 ref=\"R14\" name=\"RES\" lib=\"RES\"\n"
                          "wire from=210,1000 to=350,1000\n"),
                 "part added: R13 RES (sheet 1 at 200,1010)\n"
                 "    R13.1 on no net\n"
                 "    R13.2 on R13.2\n"
                 "part added: R14 RES (sheet 1 at 400,1010)\n"
                 "    R14.1 on R13.2\n"
                 "    R14.2 on no net\n"
                 "net added: R13.2 with R13.2, R14.1 (sheet 1 at 350,1000)\n"}),
    [](const ::testing::TestParamInfo<DiffCase>& info) { return std::string(info.param.name); });

using Diff = DesignTexts;

TEST_F(Diff, GivesTheChangesAsJson) {
    sheet("old.sch", base);
    sheet("new.sch", base + "wire from=210,100 to=210,300\njunction at=210,100\n"
                            "junction at=210,300\n");
    RunResult run = tool({"diff", "old.sch", "new.sch", "--json"});
    EXPECT_EQ(run.status, 1);
    nlohmann::json changes = nlohmann::json::parse(run.out);
    EXPECT_EQ(changes["format"], 1);
    EXPECT_EQ(changes["old"], "old.sch");
    EXPECT_EQ(changes["changed"], true);
    EXPECT_EQ(changes["configuration"],
              nlohmann::json::parse(R"({"oldLibraries":["basic.lib","logic.lib"],
        "newLibraries":["basic.lib","logic.lib"],"configurationsDiffer":false,
        "sheetsIdentical":false})"));
    EXPECT_EQ(changes["netsMerged"], nlohmann::json::parse(R"([{"from":["A"],"into":["B"],
        "newNet":false,"gone":false,"place":{"sheet":1,"at":[210,300]},"pins":[
        {"pin":"R1.2","from":"A","to":"B","place":{"sheet":1,"at":[210,100]}},
        {"pin":"R2.1","from":"A","to":"B","place":{"sheet":1,"at":[350,100]}},
        {"pin":"R8.1","from":"A","to":"B","place":{"sheet":1,"at":[350,200]}}]}])"));
    for (const char* list : {"libraryChanges", "partsAdded", "partsRemoved", "partsChanged",
                             "partsRenamed", "netsAdded", "netsRemoved", "netsRenamed", "netsSplit",
                             "pinsMoved", "pinsConnected", "pinsDisconnected"})
        EXPECT_EQ(changes[list], nlohmann::json::array()) << list;
}

// A pin that leaves an unnamed net for a named one moved; its old net did
// not merge, and the pin left behind lost its net.
TEST_F(Diff, APinThatLeavesANetMoved) {
    const std::string two = "sheet code=4\n"
                            "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                            "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                            "wire from=210,100 to=350,100\n"
                            "part at=200,310 ref=\"R3\" name=\"RES\" lib=\"RES\"\n"
                            "part at=400,310 ref=\"R4\" name=\"RES\" lib=\"RES\"\n"
                            "wire from=210,300 to=350,300\n"
                            "label at=280,300 text=\"B\"\n";
    sheet("old.sch", two);
    sheet("new.sch", replaced(two, "wire from=210,100 to=350,100\n",
                              "wire from=350,100 to=350,300\njunction at=350,300\n"));
    EXPECT_EQ(tool({"diff", "old.sch", "new.sch"}).out,
              "diff old.sch new.sch\n"
              "pin moved: R2.1 from R1.2 to B (sheet 1 at 350,100)\n"
              "pin disconnected: R1.2 from R1.2 (sheet 1 at 210,100)\n");
}

TEST_F(Diff, GivesRenamedPartsAsJson) {
    sheet("old.sch", base);
    sheet("new.sch", replaced(base, "ref=\"R9\"", "ref=\"R19\""));
    nlohmann::json changes =
        nlohmann::json::parse(tool({"diff", "old.sch", "new.sch", "--json"}).out);
    EXPECT_EQ(changes["partsRenamed"], nlohmann::json::parse(R"([{"ref":"R19","block":0,
        "name":"RES","libName":"RES","blockCount":1,"place":{"sheet":1,"at":[400,610]},
        "was":{"ref":"R9"}}])"));
    EXPECT_EQ(changes["pinsMoved"], nlohmann::json::array());
}

TEST_F(Diff, ReadsEachSideWithItsOwnConfiguration) {
    // The new revision's folder holds a library in which RES has a third
    // pin at its left side.
    sheet("old.sch", base);
    std::filesystem::create_directory(dir.file("new"));
    sheet("new/new.sch", base);
    std::string library =
        dovla::testing::readFile(std::string(EXAMPLE_SOURCE_DIR) + "/basic.lib.txt");
    dir.write("new/basic.lib.txt", library);
    ASSERT_EQ(tool({"build", "new/basic.lib.txt", "-o", "new/basic.lib"}).status, 0);
    dir.write("new/TAVEL.INI", std::string("[Library]\nLIB0=basic.lib\n"));
    RunResult same = tool({"diff", "old.sch", "new/new.sch", "--new-config", "new/TAVEL.INI"});
    EXPECT_EQ(same.status, 0) << same.out << same.err;
    dir.write("new/TAVEL.INI", std::string("[Library]\nLIB0=missing.lib\n"));
    RunResult missing = tool({"diff", "old.sch", "new/new.sch", "--new-config", "new/TAVEL.INI"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "sheettool: can't open: " +
                               dir.file("new/missing.lib").substr(dir.path().size() + 1) + "\n");
}

// A part without a reference is known by its sheet's part name and
// library part: another library part is another part.
TEST_F(Diff, PartsWithoutReferenceAreKnownByLibraryPart) {
    sheet("old.sch", base + "part at=210,290 ref=\"\" name=\"VCC\" lib=\"VCC\"\n");
    sheet("new.sch", base + "part at=210,290 ref=\"\" name=\"VCC\" lib=\"GND\"\n");
    RunResult run = tool({"diff", "old.sch", "new.sch"});
    EXPECT_EQ(run.out, "diff old.sch new.sch\n"
                       "part added: (without reference) VCC (sheet 1 at 210,290)\n"
                       "    .1 on no net\n"
                       "part removed: (without reference) VCC (was on sheet 1 at 210,290)\n"
                       "    .1 was on no net\n");
    EXPECT_EQ(run.status, 1);
}

// Parts without a reference are paired on their sheet, those that stayed
// first, then the nearest: an added, moved or removed one is reported at
// its own place, or not at all when it only moved.
TEST_F(Diff, PartsWithoutReferenceArePairedByPlace) {
    const std::string cap = "ref=\"\" name=\"CAP\" lib=\"CAP\"\n";
    sheet("two.sch",
          "sheet code=4\npart at=210,290 " + cap + "sheet code=4\npart at=810,290 " + cap);
    sheet("three.sch", "sheet code=4\npart at=210,290 " + cap + "part at=450,450 " + cap +
                           "sheet code=4\npart at=810,290 " + cap);
    sheet("moved.sch", "sheet code=4\npart at=230,300 " + cap + "sheet code=4\n");
    EXPECT_EQ(tool({"diff", "two.sch", "three.sch"}).out,
              "diff two.sch three.sch\n"
              "part added: (without reference) CAP (sheet 1 at 450,450)\n"
              "    .1 on no net\n"
              "    .2 on no net\n");
    EXPECT_EQ(tool({"diff", "three.sch", "two.sch"}).out,
              "diff three.sch two.sch\n"
              "part removed: (without reference) CAP (was on sheet 1 at 450,450)\n"
              "    .1 was on no net\n"
              "    .2 was on no net\n");
    EXPECT_EQ(tool({"diff", "two.sch", "moved.sch"}).out,
              "diff two.sch moved.sch\n"
              "part removed: (without reference) CAP (was on sheet 2 at 810,290)\n"
              "    .1 was on no net\n"
              "    .2 was on no net\n");
    // Of two, the one far from where the other now is was removed.
    sheet("far.sch", "sheet code=4\npart at=100,100 " + cap + "part at=900,900 " + cap);
    sheet("near.sch", "sheet code=4\npart at=880,880 " + cap);
    EXPECT_EQ(tool({"diff", "far.sch", "near.sch"}).out,
              "diff far.sch near.sch\n"
              "part removed: (without reference) CAP (was on sheet 1 at 100,100)\n"
              "    .1 was on no net\n"
              "    .2 was on no net\n");
    nlohmann::json json =
        nlohmann::json::parse(tool({"diff", "two.sch", "three.sch", "--json"}).out);
    EXPECT_EQ(json["partsAdded"][0]["pins"],
              nlohmann::json::parse(R"([{"pin":".1","net":null},{"pin":".2","net":null}])"));
}

// Parts stacked on one place are paired in their order. A second old R1
// takes the new reference that the first R1 was renamed to, and so does an
// R1 on another place; a reference renamed once is not renamed to another.
// As many old parts of a reference as the new revision still has on their
// place stayed there, whichever comes first; the others may have been
// renamed. Each side lists its resistors as "x:reference", all at y 1010.
TEST_F(Diff, StackedPartsAreRenamedInTheirOrder) {
    struct Case {
        const char* before;
        const char* after;
        std::string changes;
    };
    auto stack = [](const std::string& parts) {
        std::string text = "sheet code=4\n";
        std::istringstream words(parts);
        for (std::string word; words >> word;)
            text += "part at=" + word.substr(0, word.find(':')) + ",1010 ref=\"" +
                    word.substr(word.find(':') + 1) + "\" name=\"RES\" lib=\"RES\"\n";
        return text;
    };
    const std::string addedR3 = "part added: R3 RES (sheet 1 at 400,1010)\n"
                                "    R3.1 on R1.1\n"
                                "    R3.2 on R1.2\n";
    const Case cases[] = {
        {"400:R1 400:R1 400:R2 700:R1", "400:R3 400:R3 400:R4 700:R3",
         "part renamed: R1 -> R3 RES (sheet 1 at 400,1010)\n"
         "part renamed: R1 -> R3 RES (sheet 1 at 400,1010)\n"
         "part renamed: R1 -> R3 RES (sheet 1 at 700,1010)\n"
         "part renamed: R2 -> R4 RES (sheet 1 at 400,1010)\n"},
        {"400:R1 400:R1", "400:R3 400:R4",
         "part added: R4 RES (sheet 1 at 400,1010)\n"
         "    R4.1 on R3.1\n"
         "    R4.2 on R3.2\n"
         "part removed: R1 RES (was on sheet 1 at 400,1010)\n"
         "    R1.1 was on R1.1\n"
         "    R1.2 was on R1.2\n"
         "part renamed: R1 -> R3 RES (sheet 1 at 400,1010)\n"},
        {"400:R2 400:R1", "400:R3 400:R2", "part renamed: R1 -> R3 RES (sheet 1 at 400,1010)\n"},
        {"400:R1 400:R1", "400:R3 400:R3 400:R1",
         addedR3 + "part renamed: R1 -> R3 RES (sheet 1 at 400,1010)\n"},
        {"700:R1 400:R1", "700:R3 400:R1 400:R3",
         addedR3 + "part renamed: R1 -> R3 RES (sheet 1 at 700,1010)\n"
                   "net added: R1.1 with R1.1, R3.1 (sheet 1 at 350,1000)\n"
                   "net added: R1.2 with R1.2, R3.2 (sheet 1 at 410,1000)\n"},
        {"700:R1 400:R1 400:R1", "700:R3 400:R1 400:R3",
         "part renamed: R1 -> R3 RES (sheet 1 at 400,1010)\n"
         "part renamed: R1 -> R3 RES (sheet 1 at 700,1010)\n"},
    };
    for (const Case& c : cases) {
        sheet("old.sch", stack(c.before));
        sheet("new.sch", stack(c.after));
        EXPECT_EQ(tool({"diff", "old.sch", "new.sch"}).out, "diff old.sch new.sch\n" + c.changes)
            << c.before << " then " << c.after;
    }
}

// The same sheet read with a library whose 7400 has two blocks instead of
// four: each placed block is a changed part.
// A second part of a reference, added or removed, is a part of its own;
// a part of another library part under the same name has changed.
TEST_F(Diff, ReportsDuplicateReferencesAndLibraryParts) {
    const std::string duplicate = base + "part at=800,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n";
    struct Case {
        std::string before, after, changes;
    };
    const std::vector<Case> cases = {
        {base, duplicate,
         "part added: R1 RES (sheet 1 at 800,110)\n    R1.1 on no net\n    R1.2 on no net\n"},
        {duplicate, base,
         "part removed: R1 RES (was on sheet 1 at 800,110)\n    R1.1 was on no net\n"
         "    R1.2 was on no net\n"},
        {base,
         replaced(base, "ref=\"R5\" name=\"RES\" lib=\"RES\"",
                  "ref=\"R5\" name=\"RES\" lib=\"CAP\""),
         "part changed: R5 RES: library part RES -> CAP (sheet 1 at 200,510)\n"},
    };
    for (const Case& c : cases) {
        sheet("old.sch", c.before);
        sheet("new.sch", c.after);
        RunResult run = tool({"diff", "old.sch", "new.sch"});
        EXPECT_EQ(run.out, "diff old.sch new.sch\n" + c.changes);
        EXPECT_EQ(run.status, 1) << run.err;
    }
}

TEST_F(Diff, AChangeOfBlockCountChangesThePart) {
    sheet("gates.sch", "sheet code=4\n"
                       "part at=300,300 ref=\"U1\" name=\"7400\" lib=\"7400\"\n"
                       "part at=500,300 ref=\"U1\" name=\"7400\" lib=\"7400\" block=1\n");
    std::string library =
        dovla::testing::readFile(std::string(EXAMPLE_SOURCE_DIR) + "/logic.lib.txt");
    for (auto [from, to] : {std::pair<const char*, const char*>{"blocks=4", "blocks=2"},
                            {"numbers=1,4,9,12", "numbers=1,4"},
                            {"numbers=2,5,10,13", "numbers=2,5"},
                            {"numbers=3,6,8,11", "numbers=3,6"}})
        library = replaced(library, from, to);
    std::filesystem::create_directory(dir.file("two"));
    dir.write("two/logic.lib.txt", library);
    ASSERT_EQ(tool({"build", "two/logic.lib.txt", "-o", "two/logic.lib"}).status, 0);
    std::filesystem::copy_file(dir.file("basic.lib"), dir.file("two/basic.lib"));
    dir.write("two/TAVEL.INI", std::string("[Library]\nLIB0=basic.lib\nLIB1=logic.lib\n"));
    RunResult run = tool({"diff", "gates.sch", "gates.sch", "--new-config", "two/TAVEL.INI"});
    EXPECT_EQ(run.out, "diff gates.sch gates.sch\n"
                       "sheets: identical, every change comes from the libraries\n"
                       "library part 7400: blocks 4 -> 2\n"
                       "part changed: U1 7400: blocks 4 -> 2 (sheet 1 at 300,300)\n"
                       "part changed: U1 block 2 7400: blocks 4 -> 2 (sheet 1 at 500,300)\n");
    EXPECT_EQ(run.status, 1);
}

// Without libraries no part has pins and every revision looks alike: a
// diff that cannot see says so and is never "no change".
TEST_F(Diff, IsNeverSilentWhenItCannotSeePins) {
    sheet("old.sch", base + "part at=800,800 ref=\"U9\" name=\"NOSUCH\" lib=\"NOSUCH\"\n");
    RunResult blind = tool({"diff", "old.sch", "old.sch"});
    EXPECT_EQ(blind.err, "sheettool: can't find NOSUCH\n");
    EXPECT_EQ(blind.out, "diff old.sch old.sch\n"
                         "pins not compared: 1 old and 1 new parts have no library part (no "
                         "library holds NOSUCH)\n");
    EXPECT_EQ(blind.status, 1);
    nlohmann::json json = nlohmann::json::parse(tool({"diff", "old.sch", "old.sch", "--json"}).out);
    EXPECT_EQ(json["changed"], true);
    EXPECT_EQ(json["partsNotCompared"],
              nlohmann::json::parse(R"({"old":1,"new":1,"libraryPartsNotFound":["NOSUCH"]})"));

    // No TAVEL.INI at all, here or beside the program: nothing to compare
    // pins with, unless --config names one.
    if (std::filesystem::exists(std::filesystem::path(SHEETTOOL_BINARY).parent_path() /
                                "TAVEL.INI"))
        GTEST_SKIP() << "a TAVEL.INI lies beside sheettool";
    std::filesystem::create_directory(dir.file("bare"));
    sheet("bare/old.sch", base);
    sheet("bare/new.sch", replaced(base, "text=\"A\"", "text=\"AX\""));
    RunResult none = runTool({"diff", "old.sch", "new.sch"}, dir.file("bare"));
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "sheettool: can't find TAVEL.INI for old.sch (name one with --config)\n");
    RunResult named =
        runTool({"diff", "old.sch", "new.sch", "--config", "../TAVEL.INI"}, dir.file("bare"));
    EXPECT_EQ(named.status, 1) << named.err;
    EXPECT_EQ(named.out, "diff old.sch new.sch\nnet renamed: A -> AX (sheet 1 at 350,100)\n");
}

// --config names the TAVEL.INI of every command that reads a design, its
// relative library paths taken from its folder.
TEST_F(Diff, EveryDesignCommandTakesAConfiguration) {
    std::filesystem::create_directory(dir.file("elsewhere"));
    sheet("elsewhere/a.sch", base);
    std::filesystem::remove(dir.file("elsewhere/a.sch.txt"));
    for (const char* command : {"nets", "check", "view"}) {
        RunResult named = runTool({command, "a.sch", "--config", "../TAVEL.INI", "-o", "out"},
                                  dir.file("elsewhere"));
        EXPECT_LE(named.status, 1) << command << named.err;
        EXPECT_EQ(named.err, "") << command;
    }
    EXPECT_NE(dir.read("elsewhere/out").find("R1"), std::string::npos);
    RunResult nets = runTool({"nets", "a.sch", "--config", "../TAVEL.INI"}, dir.file("elsewhere"));
    EXPECT_NE(nets.out.find("    R1.2  sheet 1 at 210,100  R1 RES [2]\n"), std::string::npos)
        << nets.out;
    EXPECT_EQ(runTool({"nets", "a.sch", "--config"}, dir.file("elsewhere")).status, 2);
}

TEST_F(Diff, TroubleAndUsageExitWithTwo) {
    sheet("old.sch", base);
    EXPECT_EQ(tool({"diff", "old.sch"}).status, 2);
    EXPECT_EQ(tool({"diff", "old.sch", "none.sch"}).status, 2);
    EXPECT_EQ(tool({"diff", "old.sch", "old.sch", "--old-config"}).status, 2);
    RunResult same = tool({"diff", "old.sch", "old.sch"});
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.out, "");
}

// The two revisions are read at once, but what goes wrong is told as if
// one were read after the other: the old one's trouble alone when both
// have some.
TEST_F(Diff, TellsTroubleInTheOrderOfTheRevisions) {
    sheet("old.sch", base);
    sheet("new.sch", base);
    dir.write("junk.sch", "junk");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"none1.sch", "none2.sch"}, "can't open: none1.sch"},
        {{"old.sch", "new.sch", "--new-config", "gone.ini"}, "can't open: gone.ini"},
        {{"old.sch", "new.sch", "--old-config", "a.ini", "--new-config", "b.ini"},
         "can't open: a.ini"},
        {{"none1.sch", "new.sch", "--new-config", "b.ini"}, "can't open: none1.sch"},
        {{"junk.sch", "none2.sch"}, "file read error!"},
        {{"old.sch", "junk.sch"}, "file read error!"},
    };
    for (const auto& [arguments, message] : cases) {
        std::vector<std::string> command = {"diff"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        RunResult run = tool(command);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.err, "sheettool: " + message + "\n");
        EXPECT_EQ(run.out, "");
    }
}

// The README's way of comparing two revisions of a sheet in git.
TEST_F(Diff, ComparesRevisionsInGit) {
    Git git(dir.path());
    if (!git.installed())
        GTEST_SKIP() << "git is not installed";
    ASSERT_TRUE(git.init());
    sheet("demo.sch", base);
    ASSERT_EQ(git({"add", "."}).status, 0);
    ASSERT_EQ(git({"commit", "-q", "-m", "first"}).status, 0);
    sheet("demo.sch", replaced(base, "text=\"A\"", "text=\"AX\""));
    RunResult diff = git({"difftool", "-y", "-x", std::string("\"") + SHEETTOOL_BINARY + "\" diff",
                          "HEAD", "--", "demo.sch"});
    // The old side is a file git wrote for the purpose.
    EXPECT_EQ(diff.out.rfind("diff ", 0), 0u) << diff.out;
    EXPECT_EQ(diff.out.substr(diff.out.find('\n') + 1),
              "net renamed: A -> AX (sheet 1 at 350,100)\n")
        << diff.err;
    EXPECT_EQ(diff.status, 0) << diff.err;
}

// The design in a folder of the repository, its TAVEL.INI beside it, and
// git difftool started there: git runs the tool in the repository's top
// folder; each report names its files.
TEST_F(Diff, ComparesRevisionsInGitFromASubfolder) {
    Git top(dir.path());
    if (!top.installed())
        GTEST_SKIP() << "git is not installed";
    ASSERT_TRUE(top.init());
    std::filesystem::create_directory(dir.file("board"));
    for (const char* file : {"basic.lib", "logic.lib", "TAVEL.INI"})
        std::filesystem::rename(dir.file(file), dir.file(std::string("board/") + file));
    sheet("board/a.sch", base);
    sheet("board/b.sch", base);
    ASSERT_EQ(top({"add", "."}).status, 0);
    ASSERT_EQ(top({"commit", "-q", "-m", "first"}).status, 0);
    sheet("board/a.sch", replaced(base, "text=\"A\"", "text=\"AX\""));
    sheet("board/b.sch", replaced(base, "text=\"B\"", "text=\"BX\""));
    RunResult diff = Git(dir.file("board"))({"difftool", "-y", "-x",
                                             std::string("\"") + SHEETTOOL_BINARY + "\" diff",
                                             "HEAD", "--", "a.sch", "b.sch"});
    EXPECT_EQ(diff.err, "");
    std::vector<std::string> lines = splitText(diff.out);
    ASSERT_EQ(lines.size(), 4u) << diff.out;
    EXPECT_EQ(lines[0].substr(lines[0].rfind(' ')), " board/a.sch");
    EXPECT_EQ(lines[1], "net renamed: A -> AX (sheet 1 at 350,100)");
    EXPECT_EQ(lines[2].substr(lines[2].rfind(' ')), " board/b.sch");
    EXPECT_EQ(lines[3], "net renamed: B -> BX (sheet 1 at 350,300)");
}

} // namespace
} // namespace dovla::sheettool::testing
