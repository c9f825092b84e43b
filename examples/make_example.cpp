// Writes the shipped example: the two-sheet design demo.sch and the part
// libraries basic.lib and logic.lib that it uses, into the directory given.
//
// Sheet 1 (input): the connector J1 brings VCC, GND and four data lines
// D0 to D3. The data lines run to the bus D through wire entries; R1 and R2
// pull D0 and D1 up to VCC. C1 decouples VCC from GND. The connector J2
// takes the signal OUT and GND.
// Sheet 2 (logic): the bus D, tagged like the one on sheet 1, brings D0 to
// D3 to the quad NAND U1: gate 1 takes D0 and D1, gate 2 D2 and D3, gate 3
// combines their outputs and drives OUT through R3. The unused gate 4 has
// both inputs tied to GND. C2 decouples VCC from GND.
//
// Coordinates are sheet coordinates. Parts are placed by their origin, the
// body corner of greatest x and y; the comments give the pin ends.

#include <cstdio>
#include <exception>
#include <string>

#include "writers/library_writer.h"
#include "writers/sheet_writer.h"

namespace {

using dovla::writers::LibPartSpec;
using dovla::writers::LibraryWriter;
using dovla::writers::pinAt;
using dovla::writers::pinNumber;
using dovla::writers::SheetWriter;

constexpr int left = 0, top = 1, right = 2, bottom = 3;
constexpr int rotated = 1;       // a quarter turn: pin 1 of RES and CAP on top
constexpr int wireEntry = 2;     // bus entry attribute: links wires to the bus
constexpr int verticalLabel = 8; // label attribute: names a vertical wire

LibraryWriter basicLibrary() {
    LibraryWriter lib;
    // Unrotated, pin 1 ends 50 (RES) or 30 (CAP) left of the origin and pin 2
    // 10 right of it, both 10 above it. Rotated, pin 1 ends 50 or 30 above
    // the origin and pin 2 10 below it, both 10 left of it.
    lib.add({"RES",
             4,
             2,
             1,
             0,
             {{pinAt(left, 1), "", {pinNumber(1)}}, {pinAt(right, 1), "", {pinNumber(2)}}}});
    lib.add({"CAP",
             2,
             2,
             1,
             0,
             {{pinAt(left, 1), "", {pinNumber(1)}}, {pinAt(right, 1), "", {pinNumber(2)}}}});
    // Pins on the right side, 20 apart: pin k ends at (x + 10, y - 130 + 20k).
    LibPartSpec conn6{"CONN6", 2, 13, 1, 0, {}};
    for (int k = 1; k <= 6; ++k)
        conn6.pins.push_back({pinAt(right, 2 * k), "", {pinNumber(k)}});
    lib.add(conn6);
    // Pin k ends at (x + 10, y - 30 + 10k).
    lib.add({"CONN2",
             2,
             3,
             1,
             0,
             {{pinAt(right, 1), "", {pinNumber(1)}}, {pinAt(right, 2), "", {pinNumber(2)}}}});
    // Power symbols: VCC's pin ends at (x - 10, y + 10) below its body,
    // GND's at (x - 10, y - 30) above it.
    lib.add({"VCC", 2, 2, 1, 0, {{pinAt(bottom, 1), "", {pinNumber(1)}}}});
    lib.add({"GND", 2, 2, 1, 0, {{pinAt(top, 1), "", {pinNumber(1)}}}});
    return lib;
}

LibraryWriter logicLibrary() {
    LibraryWriter lib;
    // Four NAND gates. A ends at (x - 50, y - 30), B at (x - 50, y - 10), Y at
    // (x + 10, y - 20).
    lib.add({"7400",
             4,
             4,
             4,
             0,
             {{pinAt(left, 1), "A", {pinNumber(1), pinNumber(4), pinNumber(9), pinNumber(12)}},
              {pinAt(left, 3), "B", {pinNumber(2), pinNumber(5), pinNumber(10), pinNumber(13)}},
              {pinAt(right, 2), "Y", {pinNumber(3), pinNumber(6), pinNumber(8), pinNumber(11)}}}});
    return lib;
}

void vcc(SheetWriter& sheet, int pinX, int pinY) {
    sheet.part(pinX + 10, pinY - 10, "", "VCC", "VCC");
}

void gnd(SheetWriter& sheet, int pinX, int pinY) {
    sheet.part(pinX + 10, pinY + 30, "", "GND", "GND");
}

void inputSheet(SheetWriter& sheet) {
    sheet.header();
    // J1: pin 1 (210, 290) VCC, pins 2 to 5 (210, 310) to (210, 370) D0 to
    // D3, pin 6 (210, 390) GND.
    sheet.part(200, 400, "J1", "CONN6", "CONN6");
    sheet.wire(210, 290, 260, 290);
    vcc(sheet, 260, 290);
    sheet.wire(210, 390, 240, 390);
    gnd(sheet, 240, 390);
    // Each data line runs right and then down to the free end of its wire
    // entry; the entries stand on the bus at y 500, D0 the farthest right,
    // so that no two lines cross.
    const int entryX[4] = {550, 470, 390, 310};
    for (int bit = 0; bit < 4; ++bit) {
        int y = 310 + 20 * bit;
        int x = entryX[bit] + 10;
        sheet.wire(210, y, x, y);
        sheet.wire(x, y, x, 490);
        sheet.label(250, y, "D" + std::to_string(bit));
        sheet.busEntry(entryX[bit], 500, wireEntry);
    }
    sheet.bus(300, 500, 700, 500);
    sheet.tag(700, 500, "D");
    // Pull-ups: R1's pin 1 (560, 420) on D0, R2's pin 1 (480, 440) on D1,
    // with junctions; their pins 2 (620, 420) and (540, 440) on VCC.
    sheet.part(610, 430, "R1", "RES", "RES");
    sheet.junction(560, 420);
    vcc(sheet, 620, 420);
    sheet.part(530, 450, "R2", "RES", "RES");
    sheet.junction(480, 440);
    vcc(sheet, 540, 440);
    // C1 upright: pin 1 (700, 220) on VCC, pin 2 (700, 260) on GND.
    sheet.part(710, 250, "C1", "CAP", "CAP", rotated);
    vcc(sheet, 700, 220);
    gnd(sheet, 700, 260);
    // J2: pin 1 (810, 600) to the tag OUT, pin 2 (810, 610) on GND.
    sheet.part(800, 620, "J2", "CONN2", "CONN2");
    sheet.wire(810, 600, 900, 600);
    sheet.tag(900, 600, "OUT");
    gnd(sheet, 810, 610);
}

void logicSheet(SheetWriter& sheet) {
    sheet.header();
    // The bus D, tagged at its left end. Its wire entries stand below it,
    // their upper ends on the bus and their lower ends free; from each a
    // line runs down and right to its gate input, D0 the farthest right.
    sheet.tag(80, 100, "D");
    sheet.bus(100, 100, 500, 100);
    // Gate 1 at (400, 300): A (350, 270), B (350, 290), Y (410, 280).
    // Gate 2 at (400, 400): A (350, 370), B (350, 390), Y (410, 380).
    const int lineX[4] = {300, 270, 240, 210};
    const int inputY[4] = {270, 290, 370, 390};
    for (int bit = 0; bit < 4; ++bit) {
        int x = lineX[bit];
        sheet.busEntry(x, 110, wireEntry);
        sheet.wire(x, 110, x, inputY[bit]);
        sheet.wire(x, inputY[bit], 350, inputY[bit]);
        sheet.label(x, 200, "D" + std::to_string(bit), verticalLabel);
    }
    sheet.part(400, 300, "U1", "7400", "7400", 0, 0);
    sheet.part(400, 400, "U1", "7400", "7400", 0, 1);
    // Gate 3 at (540, 350): A (490, 320), B (490, 340), Y (550, 330).
    sheet.part(540, 350, "U1", "7400", "7400", 0, 2);
    sheet.wire(410, 280, 450, 280).wire(450, 280, 450, 320).wire(450, 320, 490, 320);
    sheet.wire(410, 380, 470, 380).wire(470, 380, 470, 340).wire(470, 340, 490, 340);
    // Gate 3 drives OUT through R3: pin 1 (600, 330), pin 2 (660, 330).
    sheet.part(650, 340, "R3", "RES", "RES");
    sheet.wire(550, 330, 600, 330);
    sheet.wire(660, 330, 720, 330);
    sheet.tag(720, 330, "OUT");
    // Gate 4 at (400, 520), unused: A (350, 490) and B (350, 510) tied to
    // GND. B's wire ends inside the vertical one, hence the junction.
    sheet.part(400, 520, "U1", "7400", "7400", 0, 3);
    sheet.wire(330, 490, 350, 490).wire(330, 510, 350, 510).wire(330, 490, 330, 530);
    sheet.junction(330, 510);
    gnd(sheet, 330, 530);
    // C2 upright: pin 1 (800, 220) on VCC, pin 2 (800, 260) on GND.
    sheet.part(810, 250, "C2", "CAP", "CAP", rotated);
    vcc(sheet, 800, 220);
    gnd(sheet, 800, 260);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_example <directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    try {
        SheetWriter sheet;
        inputSheet(sheet);
        logicSheet(sheet);
        sheet.save(dir + "/demo.sch");
        basicLibrary().save(dir + "/basic.lib");
        logicLibrary().save(dir + "/logic.lib");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_example: %s\n", error.what());
        return 1;
    }
    return 0;
}
