#include "fixtures.h"

#include "writers/library_writer.h"
#include "writers/sheet_writer.h"

namespace dovla::fuzz {

using writers::LibPartDescription;
using writers::LibraryWriter;
using writers::pinAt;
using writers::pinNumber;
using writers::SheetWriter;

namespace {

constexpr int left = 0, top = 1, right = 2, bottom = 3;
constexpr int wireEntry = 2;     // bus entry attribute: links wires to the bus
constexpr int verticalLabel = 8; // label attribute: names a vertical wire

// A gate of four blocks with pins on all four sides, lettered numbers and a
// name with a byte above 0x7F.
LibPartDescription quadGate() {
    LibPartDescription gate{"U", 6, 6, 4, 0, {}};
    gate.pins = {
        {pinAt(left, 1), "A", {pinNumber(1), pinNumber(4), pinNumber(9), pinNumber(12)}},
        {pinAt(left, 3), "B", {pinNumber(2), pinNumber(5), pinNumber(10), pinNumber(13)}},
        {pinAt(right, 2), "Y", {pinNumber(3), pinNumber(6), pinNumber(8), pinNumber(11)}},
        {pinAt(top, 3), "VCC", {pinNumber(14), pinNumber(14), pinNumber(14), pinNumber(14)}},
        {pinAt(bottom, 3), "GND", {pinNumber(7), pinNumber(7), pinNumber(7), pinNumber(7)}},
        {pinAt(bottom, 5),
         "\xC3K",
         {pinNumber(20, 'A'), pinNumber(21, 'B'), pinNumber(511, 'Z'), pinNumber(0)}},
    };
    return gate;
}

} // namespace

const std::vector<std::string> fixedPartNames = {"R",   "U", "VCC", "GND",
                                                 "CON", "Z", "B0",  "LONGPARTNAME123"};

std::vector<std::uint8_t> fixedLibrary() {
    LibraryWriter lib;
    lib.simple("R", 2);
    lib.add(quadGate());
    lib.add({"VCC", 2, 2, 1, 0, {{pinAt(bottom, 1), "", {pinNumber(1)}}}});
    lib.add({"GND", 2, 2, 1, 0, {{pinAt(top, 1), "", {pinNumber(1)}}}});
    // Bits 12-15 of the pin word set; a name with a blank keeps its first word.
    lib.add({"CON",
             2,
             5,
             1,
             0xA,
             {{pinAt(right, 1), "IN", {pinNumber(1)}},
              {pinAt(right, 2), "OUT", {pinNumber(2)}},
              {pinAt(right, 3), "x y", {pinNumber(3, 'C')}},
              {pinAt(right, 4), "", {pinNumber(4)}}}});
    lib.add({"Z", 2, 2, 1, 0, {}});
    lib.add({"B0", 2, 2, 0, 0, {{pinAt(left, 1), "P", {}}}});
    lib.add({"LONGPARTNAME123", 3, 3, 2, 0, {{pinAt(top, 1), "", {pinNumber(1), pinNumber(2)}}}});
    return lib.bytes();
}

std::vector<std::uint8_t> fixedSheet() {
    SheetWriter s;
    s.junction(5, 5).label(0, 0, "ORIGIN"); // before the first header: own coordinates
    s.header();
    // R1's pins end at (150, 180) and (150, 190).
    s.part(200, 200, "R1", "R", "R");
    s.wire(100, 180, 150, 180).label(120, 180, "N1");
    s.wire(150, 300, 150, 190).junction(150, 250).wire(150, 250, 300, 250);
    s.part(400, 300, "R2", "R", "R", 1);
    s.part(450, 300, "R3", "R", "R", 0, 7); // a block R does not have
    for (int block = 0; block < 4; ++block)
        s.part(600 + 100 * block, 400, "U1", "U", "U", block, block);
    for (int dir = 4; dir < 8; ++dir)
        s.part(600 + 100 * dir, 700, "U2", "U", "U", dir, dir - 4);
    s.part(900, 100, "", "VCC", "VCC").part(900, 600, "", "GND", "GND");
    s.part(1000, 100, "P1", "VCC5", "VCC").part(1050, 100, "", "PWR", "VCC");
    s.part(1200, 300, "J1", "CON", "CON").part(1300, 300, "Z1", "Z", "Z");
    s.part(1400, 300, "B1", "B0", "B0").part(1500, 300, "L1", "LONG", "LONGPARTNAME123", 6, 1);
    s.part(1600, 300, "X1", "NONE", "NOPE");
    // Wires to pins of U1, J1 (one wire across all four pin ends), VCC, GND.
    s.wire(530, 350, 500, 350).wire(590, 410, 590, 450).label(590, 430, "K", verticalLabel);
    s.wire(1210, 290, 1210, 260).wire(890, 110, 890, 150).wire(890, 570, 890, 500);
    // A bus with a tag at its left end and two wire entries to vertical wires.
    s.bus(1500, 1000, 1000, 1000).tag(970, 1000, "DA");
    s.busEntry(1100, 1010, wireEntry).wire(1100, 1010, 1100, 1100);
    s.busEntry(1200, 1010, wireEntry | 1).wire(1200, 1010, 1200, 1100);
    s.label(1100, 1050, "D0", verticalLabel).label(1200, 1050, "D1", verticalLabel);
    s.busEntry(1300, 1010).bus(1300, 1010, 1300, 1200);
    s.wire(100, 100, 200, 150); // oblique
    s.line(0, 0, 100, 100).comment("not a net").extension(200, 20).extension(16, 14);
    s.header(32);
    s.bus(1000, 1000, 1500, 1000).tag(1500, 1000, "DA");
    s.busEntry(1100, 1010, wireEntry).wire(1100, 1010, 1100, 1100);
    s.label(1100, 1050, "D0", verticalLabel);
    s.part(1150, 1120, "R9", "R", "R").wire(1100, 1100, 1100, 1100);
    s.tag(1090, 1100, "T").tag(3000, 2000, "EDGE");
    return s.bytes();
}

std::vector<std::vector<std::uint8_t>> seedLibraries() {
    std::vector<std::vector<std::uint8_t>> seeds;
    seeds.push_back(fixedLibrary());
    seeds.push_back(LibraryWriter().bytes()); // no parts
    {
        LibraryWriter lib;
        for (const std::string& name : fixedPartNames)
            lib.simple(name, 3);
        seeds.push_back(lib.bytes());
    }
    {
        // Names that are cut, padded, repeated; a pin name longer than the
        // field; a part that no instance names.
        LibraryWriter lib;
        lib.simple("LONGPARTNAME1234567", 1).simple(" \tR", 2).simple("U", 1).simple("U", 2);
        lib.add({"VCC", 1, 1, 1, 0, {{pinAt(top, 0), std::string(40, 'P'), {pinNumber(1)}}}});
        lib.add({"UNUSED", 255, 255, 255, 0xF, {}});
        seeds.push_back(lib.bytes());
    }
    {
        LibraryWriter lib;
        LibPartDescription wide{"CON", 255, 255, 2, 0, {}};
        for (int i = 0; i < 64; ++i)
            wide.pins.push_back({pinAt(i % 4, i * 4),
                                 i % 3 ? "" : "N" + std::to_string(i),
                                 {pinNumber(i, 'A' + i % 26), pinNumber(i + 100)}});
        lib.add(wide);
        seeds.push_back(lib.bytes());
    }
    return seeds;
}

std::vector<std::vector<std::uint8_t>> seedSheets() {
    std::vector<std::vector<std::uint8_t>> seeds;
    seeds.push_back({});
    seeds.push_back(fixedSheet());
    // Every record kind on its own, after a header.
    seeds.push_back(SheetWriter().header().junction(10, 20).bytes());
    seeds.push_back(SheetWriter().header().busEntry(100, 200, 1).bytes());
    seeds.push_back(SheetWriter().header().bus(10, 20, 110, 20).bytes());
    seeds.push_back(SheetWriter().header().wire(110, 20, 10, 20).bytes());
    seeds.push_back(SheetWriter().header().line(0, 0, 5, 5).bytes());
    seeds.push_back(SheetWriter().header().label(1, 2, "LABELTEXT11").bytes());
    seeds.push_back(SheetWriter().header().tag(100, 200, "CLK").bytes());
    seeds.push_back(SheetWriter().header().comment("comment").bytes());
    seeds.push_back(SheetWriter().header().part(200, 200, "R1", "R", "R").bytes());
    seeds.push_back(SheetWriter().extension(200, 20).extension(255, 14).header().bytes());
    {
        // All 32 sheets, each with a wire from a resistor to a tag.
        SheetWriter s;
        for (int sheet = 0; sheet < 32; ++sheet)
            s.header().part(200, 200, "R1", "R", "R").wire(150, 180, 50, 180).tag(30, 180, "S");
        seeds.push_back(s.bytes());
    }
    {
        // The coordinate extremes, wires across the whole 16-bit range.
        SheetWriter s;
        s.header().wire(-32768, 0, 32767, 0).wire(0, -32768, 0, 32767).junction(0, 0);
        s.junction(32767, 32767).bus(-32768, -32768, 32767, -32768).busEntry(0, -32758, 2);
        s.tag(32767, 100, "MAXIMUMTEXT").label(-32768, 0, "MIN");
        seeds.push_back(s.bytes());
    }
    {
        // Many ends at one point.
        SheetWriter s;
        s.header();
        for (int i = 0; i < 8; ++i)
            s.wire(500, 500, 500 + 100 * (i % 2), 500 + 100 * (i / 2 % 2));
        s.junction(500, 500).label(500, 500, "HUB").tag(500, 500, "HUB");
        seeds.push_back(s.bytes());
    }
    return seeds;
}

} // namespace dovla::fuzz
