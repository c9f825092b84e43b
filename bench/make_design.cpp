// Writes a realistic design of any number of sheets, with its library and a
// TAVEL.INI, for timing dovla32 on designs of growing size.
//
// Each sheet is a field of tiles (a resistor chain with a capacitor or one
// block of a quad gate below it, ground and supply symbols, a junction, a
// label), a row tag at each end of a chain, and a data bus along the bottom
// with wire entries, labelled wires and bus drivers; tags join the buses and
// the rows of all sheets.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "writers/library_writer.h"
#include "writers/sheet_writer.h"

using namespace dovla::writers;

namespace {

constexpr int tileWidth = 150;
constexpr int tileHeight = 100;
constexpr int tileColumns = 19;
constexpr int tileRows = 18;
constexpr int busY = 1900;

LibraryWriter designLibrary() {
    LibraryWriter library;
    library.add({"RES",
                 4,
                 1,
                 1,
                 0,
                 {{pinAt(0, 0), "", {pinNumber(1)}}, {pinAt(2, 0), "", {pinNumber(2)}}}});
    library.add({"CAP",
                 4,
                 1,
                 1,
                 0,
                 {{pinAt(0, 0), "", {pinNumber(1)}}, {pinAt(2, 0), "", {pinNumber(2)}}}});
    library.add({"VCC", 2, 1, 1, 0, {{pinAt(3, 1), "", {pinNumber(1)}}}});
    library.add({"GND", 2, 1, 1, 0, {{pinAt(1, 1), "", {pinNumber(1)}}}});
    library.add({"NAND4",
                 4,
                 4,
                 4,
                 0,
                 {{pinAt(0, 1), "A", {pinNumber(1), pinNumber(4), pinNumber(9), pinNumber(12)}},
                  {pinAt(0, 3), "B", {pinNumber(2), pinNumber(5), pinNumber(10), pinNumber(13)}},
                  {pinAt(2, 2), "Y", {pinNumber(3), pinNumber(6), pinNumber(8), pinNumber(11)}}}});
    library.add({"BUF", 2, 1, 1, 0, {{pinAt(3, 1), "IN", {pinNumber(1, 'A')}}}});
    return library;
}

struct Counter {
    int resistors = 0;
    int gates = 0;
    int drivers = 0;
    long items = 0;
};

void writeTile(SheetWriter& sheet, Counter& count, int sheetIndex, int row, int column) {
    const int tx = 20 + column * tileWidth;
    const int ty = 20 + row * tileHeight;
    const int index = row * tileColumns + column;
    // The chain: this resistor's right pin to the next one's left pin.
    sheet.part(tx + 60, ty + 30, "R" + std::to_string(++count.resistors), "RES", "RES");
    if (column + 1 < tileColumns)
        sheet.wire(tx + 70, ty + 20, tx + 160, ty + 20);
    // A branch down to the capacitor (or gate output), with a junction.
    sheet.wire(tx + 110, ty + 20, tx + 110, ty + 60).junction(tx + 110, ty + 20);
    sheet.wire(tx + 110, ty + 60, tx + 70, ty + 60);
    if (index % 10 == 9) {
        int block = count.gates % 4;
        sheet.part(tx + 60, ty + 80, "U" + std::to_string(count.gates / 4 + 1), "NAND4", "NAND4", 0,
                   block);
        ++count.gates;
        count.items += 3;
    } else {
        sheet.part(tx + 60, ty + 70, "C" + std::to_string(count.resistors), "CAP", "CAP");
        count.items += 2;
    }
    // Ground below the capacitor, supply above every fourth resistor.
    sheet.part(tx + 20, ty + 90, "", "GND", "GND").wire(tx + 10, ty + 60, tx + 10, ty + 70);
    if (index % 4 == 0) {
        sheet.part(tx + 20, ty + 0, "", "VCC", "VCC").wire(tx + 10, ty + 10, tx + 10, ty + 20);
        count.items += 3;
    }
    if (column + 1 < tileColumns)
        sheet.label(tx + 90, ty + 20,
                    "S" + std::to_string(sheetIndex) + "R" + std::to_string(row) + "C" +
                        std::to_string(column));
    count.items += 12;
}

void writeBus(SheetWriter& sheet, Counter& count, int sheetIndex) {
    sheet.bus(100, busY, 2900, busY).tag(50, busY, "DBUS");
    for (int k = 0; k < 68; ++k) {
        int x = 200 + 40 * k;
        sheet.busEntry(x, busY, 2);
        sheet.wire(x + 10, busY - 10, x + 10, busY - 60);
        sheet.label(x + 10, busY - 30, "D" + std::to_string(k % 16), 8);
        sheet.part(x + 20, busY - 70, "B" + std::to_string(++count.drivers), "BUF", "BUF");
        count.items += 5;
    }
    (void)sheetIndex;
    count.items += 2;
}

// Crowded shapes, valid but hostile: where the point search and the end
// joining meet many ends at once.
//   ends:       wires from N ends in one 50 by 50 cell (at its 2,500 points
//               in turn) to distinct far points
//   zero:       N wires of zero length at one point
//   collinear:  N wires on one line from one point, each ending 10 further
//               than the one before, so that each is cut at every end the
//               longer ones pass
//   stacked:    N resistors placed on one place, their pins on one another
bool writeCrowded(const std::string& shape, int count, SheetWriter& sheet) {
    constexpr int x0 = 1000;
    constexpr int y0 = 1000;
    if (shape == "ends") {
        for (int i = 0; i < count; ++i)
            sheet.wire(x0 + i % 50, y0 + i / 50 % 50, x0 + 2000 + i % 200 * 10,
                       y0 + 2000 + i / 200 * 10);
    } else if (shape == "zero") {
        for (int i = 0; i < count; ++i)
            sheet.wire(x0, y0, x0, y0);
    } else if (shape == "collinear") {
        for (int i = 0; i < count; ++i)
            sheet.wire(x0, y0, x0 + 10 * (i + 1), y0);
    } else if (shape == "stacked") {
        for (int i = 0; i < count; ++i)
            sheet.part(x0 + 300, y0 + 300, "R" + std::to_string(i + 2), "RES", "RES");
    } else {
        return false;
    }
    // A resistor whose pin 1 ends at the crowded point, so that its net is
    // written, with all its wires under -l.
    sheet.part(x0 + 50, y0 + 10, "R1", "RES", "RES");
    return true;
}

int writeIni(const std::string& directory) {
    std::FILE* ini = std::fopen((directory + "/TAVEL.INI").c_str(), "w");
    if (ini == nullptr)
        return 1;
    std::fprintf(ini, "[Library]\nLIB0=design.lib\n");
    std::fclose(ini);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--crowded") {
        SheetWriter sheet;
        if (!writeCrowded(argv[2], std::atoi(argv[3]), sheet)) {
            std::fprintf(stderr, "make_design: no shape %s\n", argv[2]);
            return 2;
        }
        std::string directory = argv[4];
        sheet.save(directory + "/design.sch");
        designLibrary().save(directory + "/design.lib");
        std::printf("%s\n", argv[3]);
        return writeIni(directory);
    }
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: make_design SHEETS DIRECTORY\n"
                     "       make_design --crowded ends|zero|collinear|stacked COUNT DIRECTORY\n");
        return 2;
    }
    int sheets = std::atoi(argv[1]);
    std::string directory = argv[2];
    SheetWriter sheet;
    Counter count;
    for (int s = 1; s <= sheets; ++s) {
        sheet.header();
        for (int row = 0; row < tileRows; ++row) {
            for (int column = 0; column < tileColumns; ++column)
                writeTile(sheet, count, s, row, column);
            // Each row's chain ends in a tag that joins the same row of every
            // other sheet.
            int endX = 20 + (tileColumns - 1) * tileWidth + 70;
            int y = 20 + row * tileHeight + 20;
            sheet.wire(endX, y, endX + 60, y).tag(endX + 60, y, "ROW" + std::to_string(row));
            count.items += 2;
        }
        writeBus(sheet, count, s);
    }
    sheet.save(directory + "/design.sch");
    designLibrary().save(directory + "/design.lib");
    std::printf("%ld\n", count.items);
    return writeIni(directory);
}
