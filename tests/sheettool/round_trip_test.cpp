#include <cctype>
#include <string>
#include <vector>

#include "design_texts.h"
#include "sheettool_fixture.h"
#include "writers/library_writer.h"
#include "writers/sheet_writer.h"

namespace dovla::sheettool::testing {
namespace {

using writers::LibPartDescription;
using writers::LibPinShape;
using writers::LibraryWriter;
using writers::pinAt;
using writers::pinNumber;
using writers::SheetWriter;

struct Fixture {
    const char* name;
    std::vector<std::uint8_t> bytes;
};

// A record's body as the writer made it, with bytes patched in: the fields
// that the writers always leave zero.
std::vector<std::uint8_t> patched(const SheetWriter& record,
                                  std::initializer_list<std::pair<std::size_t, int>> bytes) {
    std::vector<std::uint8_t> out = record.bytes();
    for (auto [at, value] : bytes)
        out[1 + at] = static_cast<std::uint8_t>(value);
    return out;
}

std::vector<Fixture> sheetFixtures() {
    std::vector<Fixture> all;
    all.push_back({"empty file", {}});

    SheetWriter every;
    every.header(4)
        .junction(100, 200)
        .junction(0, 0, 0x80)
        .busEntry(100, 200)
        .busEntry(100, 200, 1)
        .busEntry(100, 200, 2)
        .busEntry(100, 200, 3 | 0x40)
        .bus(300, 500, 700, 500)
        .wire(110, 20, 10, 20, 7)
        .wire(-5, -7, 32767, -32768)
        .line(1, 2, 3, 4, 9)
        .label(250, 310, "D0")
        .label(300, 200, "D1", 8 | 1)
        .label(10, 10, "")
        .tag(700, 500, "CLK")
        .tag(700, 520, "ELEVENCHARS")
        .comment("a note \"quoted\" \\ here")
        .part(500, 300, "R1", "RES", "RES", 5, 1)
        .part(600, 300, "", "", "VCC")
        .part(600, 400, "U1234567", "LONGPARTNAME15X", "LIBNAMEFIFTEEN1", 255, 255)
        .extension(16, 14)
        .extension(200, 20)
        .extension(255, 300)
        .header(2)
        .wire(10, 20, 110, 20);
    all.push_back({"every record kind", every.bytes()});

    SheetWriter codes;
    for (int code : {0, 1, 2, 3, 4, 5, 31, 33, 255})
        codes.header(code).junction(code, code);
    SheetWriter moved;
    moved.header(32);
    codes.raw(patched(moved, {{33, 2}}));
    codes.raw(patched(moved, {{33, 0}, {13, 0xAB}, {32, 1}, {34, 0xCD}, {58, 0xEF}}));
    codes.raw(patched(SheetWriter().header(4), {{33, 7}}));
    all.push_back({"header size codes and unused header bytes", codes.bytes()});

    SheetWriter texts;
    texts.label(1, 2, std::string("\x01\x7f\xff\"\\ \t", 7))
        .tag(3, 4, std::string("A\0B", 3))
        .part(5, 6, std::string("\x80\x81", 2), std::string("\x00\xc1", 2), "\x7f\x01");
    // Bytes left behind the texts, as an editor leaves them when a text
    // gets shorter, and the part's unused bytes.
    std::vector<std::uint8_t> label =
        patched(SheetWriter().label(7, 8, "AB"), {{8, 'O'}, {16, 'X'}});
    texts.raw(label);
    texts.raw(patched(SheetWriter().tag(9, 10, "ELEVENCHARS"), {}));
    texts.raw(patched(SheetWriter().part(11, 12, "R9", "RES", "RES"), {{0, 0x12},
                                                                       {5, 1},
                                                                       {8, 0xFF},
                                                                       {12 + 3, 'T'},
                                                                       {30, 'Z'},
                                                                       {32 + 2, '!'},
                                                                       {42, 0x80},
                                                                       {43 + 4, 'Q'},
                                                                       {58, 0x01}}));
    all.push_back({"texts outside printable ASCII and bytes behind texts", texts.bytes()});

    SheetWriter before;
    before.wire(-100, -100, 0, 0).junction(0, 0).label(-5, 0, "N").header().wire(1, 1, 1, 1);
    all.push_back({"records before the first header", before.bytes()});

    SheetWriter many;
    for (int sheet = 0; sheet < 32; ++sheet)
        many.header(sheet % 5).wire(sheet, 0, sheet, 100);
    all.push_back({"32 sheets", many.bytes()});

    SheetWriter cut;
    cut.header().wire(1, 2, 3, 4).extension(77, 40);
    std::vector<std::uint8_t> cutBytes = cut.bytes();
    cutBytes.resize(cutBytes.size() - 10);
    all.push_back({"an extension record cut by the end of the file", cutBytes});

    SheetWriter headless;
    headless.extension(100, 14);
    std::vector<std::uint8_t> headBytes = headless.bytes();
    for (int i = 1; i <= 9; ++i)
        headBytes[i] = static_cast<std::uint8_t>(i);
    headBytes[12] = 0xAA;
    headBytes[13] = 0xBB;
    all.push_back({"extension head bytes", headBytes});
    return all;
}

// A library laid out by hand: tables apart from each other, junk between
// them, names that the reader reads otherwise than they are stored, and a
// name that runs to the end of the file.
std::vector<std::uint8_t> handMadeLibrary() {
    std::vector<std::uint8_t> bytes(384, 0);
    auto put16 = [&](std::size_t at, unsigned value) {
        bytes[at] = static_cast<std::uint8_t>(value);
        bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    auto put32 = [&](std::size_t at, unsigned value) {
        put16(at, value & 0xFFFF);
        put16(at + 2, value >> 16);
    };
    auto putText = [&](std::size_t at, const std::string& text) {
        for (std::size_t i = 0; i < text.size(); ++i)
            bytes[at + i] = static_cast<std::uint8_t>(text[i]);
    };
    putText(0, "LIB FOR KV");
    putText(10, "\x01\x02\x03");
    put16(16, 2);
    put32(18, 200); // name table
    put32(22, 60);  // part table
    put32(26, 100); // part data
    putText(30, "ABCD");
    put32(38, 300); // strings
    for (std::size_t at = 42; at < 54; ++at)
        bytes[at] = 0xFF;
    put16(60, 0);
    put16(62, 40);
    for (std::size_t at = 80; at < 100; ++at)
        bytes[at] = 0xEE;
    // Part 0: two blocks, one unnamed pin with every ignored bit set.
    putText(100, "\x05\x04\x02\x11\x22\x33\x44\x55\x66\x77");
    put16(110, 1 | 0x3000);
    put16(112, 0x0205 | 0xFC00);
    put16(114, 0xFFFF);
    put16(116, 0x8001);
    put16(118, 0x0A05);
    // Part 1: no blocks, two named pins.
    putText(140, "\x01\x02");
    put16(150, 2);
    put16(152, 0x0001);
    put16(154, 30);
    put16(156, 0x0102);
    put16(158, 34);
    put32(200, 0);
    put32(204, 80);
    putText(300, "  LONGNAMEOVERFIFTEEN");
    putText(330, "\x03"
                 "A B");
    putText(334, "\x28WIDEPINNAMEWIDEPINNAMEWIDEPINNAMEWIDEPIN");
    putText(380, "TAIL");
    return bytes;
}

// The libraries made in one go, as LibraryWriter and build without offsets
// lay them out.
bool laidOutInOneGo(const Fixture& fixture) {
    return std::string(fixture.name) != "a layout made by hand";
}

std::vector<Fixture> libraryFixtures() {
    std::vector<Fixture> all;
    all.push_back({"no parts", LibraryWriter().bytes()});
    all.push_back({"shared records", LibraryWriter()
                                         .simple("RES", 2)
                                         .simple("CAP", 2)
                                         .simple("CONN6", 6)
                                         .simple("R2", 2)
                                         .bytes()});
    LibraryWriter named;
    LibPartDescription gate{"7400", 4, 4, 4, 0, {}};
    gate.pins = {{pinAt(0, 1), "A", {pinNumber(1), pinNumber(4), pinNumber(9), pinNumber(12)}},
                 {pinAt(0, 3), "B", {pinNumber(2), pinNumber(5), pinNumber(10), pinNumber(13)}},
                 {pinAt(2, 2), "Y", {pinNumber(3), pinNumber(6), pinNumber(8), pinNumber(11)}}};
    named.add(gate);
    LibPartDescription odd{"ODD", 6, 2, 1, 5, {}};
    odd.pins = {{pinAt(1, 2), "A", {pinNumber(12, 'B')}},
                {pinAt(3, 4), "\xc1\x80", {pinNumber(511, 'Z')}},
                {pinAt(2, 1), "SP ACE", {pinNumber(7, '_')}},
                {pinAt(0, 255), "", {0xFFFF}}};
    named.add(odd);
    named.add({"NOPINS", 1, 1, 1, 0xF, {}});
    named.add({"NOBLOCKS", 2, 2, 0, 0, {{pinAt(0, 1), "", {}}, {pinAt(0, 2), "A", {}}}});
    named.add({"SIXTEENCHARSLONG", 1, 1, 1, 0, {}});
    all.push_back({"pin names, letters, blocks and long names", named.bytes()});
    all.push_back({"a layout made by hand", handMadeLibrary()});
    return all;
}

class SheetRoundTrip : public ::testing::TestWithParam<Fixture> {};
class LibraryRoundTrip : public ::testing::TestWithParam<Fixture> {};

// build(dump(file)) is the file, and dump(build(text)) is the text.
void expectRoundTrip(const Fixture& fixture) {
    std::string text = dumpBytes(fixture.bytes);
    std::vector<std::uint8_t> built;
    try {
        built = buildFile(text);
    } catch (const TextError& error) {
        FAIL() << error.line << ":" << error.column << ": " << error.what() << "\n" << text;
    }
    EXPECT_EQ(built, fixture.bytes) << text;
    EXPECT_EQ(dumpBytes(built), text);
}

TEST_P(SheetRoundTrip, BuildOfTheDumpGivesTheSameBytes) {
    expectRoundTrip(GetParam());
}

TEST_P(LibraryRoundTrip, BuildOfTheDumpGivesTheSameBytes) {
    expectRoundTrip(GetParam());
}

// The text without offsets builds the same parts and pins; a library laid
// out in one go comes back byte for byte.
TEST_P(LibraryRoundTrip, TheTextWithoutOffsetsBuildsTheSameParts) {
    const std::string text = dumpBytes(GetParam().bytes, false);
    std::vector<std::uint8_t> built;
    try {
        built = buildFile(text);
    } catch (const TextError& error) {
        FAIL() << error.line << ":" << error.column << ": " << error.what() << "\n" << text;
    }
    if (laidOutInOneGo(GetParam())) {
        EXPECT_EQ(built, GetParam().bytes) << text;
    }
    auto parts = [](const std::string& dumped) {
        std::string kept;
        for (const std::string& line : splitText(dumped)) {
            if (line.rfind("# left out:", 0) != 0)
                kept += line + "\n";
        }
        return kept;
    };
    EXPECT_EQ(parts(dumpBytes(built, false)), parts(text));
}

std::string fixtureName(const ::testing::TestParamInfo<Fixture>& info) {
    std::string name;
    for (const char* c = info.param.name; *c != '\0'; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SheetRoundTrip, ::testing::ValuesIn(sheetFixtures()),
                         fixtureName);
INSTANTIATE_TEST_SUITE_P(Fixtures, LibraryRoundTrip, ::testing::ValuesIn(libraryFixtures()),
                         fixtureName);

// Texts written by hand in the form that dump writes come back unchanged.
TEST(HandWrittenText, DumpOfTheBuildGivesTheSameText) {
    const std::string sheet = "sheet-file\n"
                              "sheet     code=3  # sheet 1: 2000x1500, origin 3000,2000\n"
                              "wire      from=10,20 to=110,20  # sheet 1: 3010,2020 - 3110,2020\n"
                              "label     at=50,20 text=\"A\\\\B\" attr=vertical  # sheet 1: "
                              "3050,2020\n";
    EXPECT_EQ(dumpBytes(buildFile(sheet)), sheet);
    const std::string library =
        "library-file\n"
        "header parts=1 name-table=54 part-table=58 part-data=66 strings=60\n"
        "part name=\"RES\" name-at=1 record-at=0 width=4 height=3 blocks=1 pins=1  # part 0, "
        "record at 66\n"
        "  pin side=left offset=1 numbers=1\n"
        "gap at=60 bytes=00\n"
        "gap at=65 bytes=00\n";
    EXPECT_EQ(dumpBytes(buildFile(library)), library);
}

using LibraryMending = DesignTexts;

// A library mended as the manual says: its text without offsets, a part
// added in an editor, built again; a design then finds the new part's pins.
TEST_F(LibraryMending, APartAddedToTheTextIsBuiltAndFound) {
    RunResult text = tool({"dump", "--no-offsets", "basic.lib"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.find("-at="), std::string::npos) << text.out;
    dir.write("mended.txt", text.out + "part name=\"LED\" width=3 height=2 blocks=1\n"
                                       "  pin side=left offset=1 numbers=1 name=\"A\"\n"
                                       "  pin side=right offset=1 numbers=2 name=\"K\"\n");
    RunResult built = tool({"build", "mended.txt", "-o", "basic.lib"});
    ASSERT_EQ(built.status, 0) << built.err;
    sheet("a.sch", "sheet code=4\n"
                   "part at=300,110 ref=\"D1\" name=\"LED\" lib=\"LED\"\n"
                   "part at=500,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                   "wire from=310,100 to=450,100\n");
    RunResult nets = tool({"nets", "a.sch"});
    EXPECT_EQ(nets.status, 0) << nets.err;
    EXPECT_NE(nets.out.find("D1.2  sheet 1 at 310,100  D1 LED [2(K)]"), std::string::npos)
        << nets.out;
    // The mended library's text is the text that built it.
    EXPECT_EQ(tool({"dump", "--no-offsets", "basic.lib"}).out,
              text.out + "part name=\"LED\" width=3 height=2 blocks=1 pins=2  # part 6\n"
                         "  pin side=left offset=1 numbers=1 name=\"A\"\n"
                         "  pin side=right offset=1 numbers=2 name=\"K\"\n");
}

} // namespace
} // namespace dovla::sheettool::testing
