#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"
#include "writers/library_writer.h"
#include "writers/sheet_writer.h"

namespace dovla::testing {

// The design of the runs that try ways of naming libraries: R1 (RES) and C1
// (CAP) in bench.sch, RES in "my parts.lib" (a blank in the name: a value
// whose quotes were kept names no file) and CAP in caps.lib. A TAVEL.INI
// that names both libraries gives benchReport.
inline void writeBenchDesign(const TempDir& dir) {
    writers::SheetWriter sheet;
    sheet.header().part(500, 500, "R1", "RES", "RES").part(900, 500, "C1", "CAP", "CAP");
    sheet.save(dir.file("bench.sch"));
    writers::LibraryWriter().simple("RES", 2).save(dir.file("my parts.lib"));
    writers::LibraryWriter().simple("CAP", 2).save(dir.file("caps.lib"));
}
inline const std::string benchReport = "\n#PartList\n\nR1:\tRES\nC1:\tCAP\n\n#NetList\n\n\n#End\n";

// One design in a directory of its own: a sheet file, one library and the
// TAVEL.INI that names it. Runs read design.sch with parts.lib.
//
// Most designs write their records before any sheet header, where they keep
// their own coordinates: the numbers in the records are then the numbers
// that a long listing shows.
class Design {
  public:
    writers::SheetWriter sheet;
    writers::LibraryWriter library;
    TempDir dir;

    void save() const {
        library.save(dir.file("parts.lib"));
        sheet.save(dir.file("design.sch"));
        dir.write("TAVEL.INI", "[Library]\nLIB0=parts.lib\n");
    }
    RunResult run(const std::vector<std::string>& options = {}) const {
        save();
        std::vector<std::string> arguments = options;
        arguments.push_back("design.sch");
        return runProgram(arguments, dir.path());
    }

    // RES: a 40 x 20 body, pin 1 on its left side and pin 2 on its right,
    // both 10 above the origin's y. Unrotated at origin (x, y), pin 1 ends at
    // (x - 50, y - 10) and points left, pin 2 ends at (x + 10, y - 10) and
    // points right.
    Design& withResistor() {
        library.add({"RES",
                     4,
                     2,
                     1,
                     0,
                     {{writers::pinAt(0, 1), "", {writers::pinNumber(1)}},
                      {writers::pinAt(2, 1), "", {writers::pinNumber(2)}}}});
        return *this;
    }
    // A resistor whose pin 1 ends at (x, y); its pin 2 ends at (x + 60, y).
    Design& resistor(int x, int y, const std::string& ref) {
        sheet.part(x + 50, y + 10, ref, "RES", "RES");
        return *this;
    }

    // A one-pin symbol of a 20 x 20 body; side 2 puts the pin on the right,
    // side 0 on the left. Placed by its pin end with symbol().
    Design& withSymbol(const std::string& libName, int side) {
        library.add(
            {libName, 2, 2, 1, 0, {{writers::pinAt(side, 1), "", {writers::pinNumber(1)}}}});
        symbolSides_.push_back({libName, side});
        return *this;
    }
    Design& symbol(int x, int y, const std::string& libName, const std::string& ref = "") {
        int side = 0;
        for (const auto& [known, knownSide] : symbolSides_)
            if (known == libName)
                side = knownSide;
        // Side 2: the pin ends at (x0 + 10, y0 - 10); side 0: (x0 - 30, y0 - 10).
        int originX = side == 2 ? x - 10 : x + 30;
        sheet.part(originX, y + 10, ref, libName, libName);
        return *this;
    }

  private:
    std::vector<std::pair<std::string, int>> symbolSides_;
};

// The designs that both report formats are tested on. Each comment gives the
// nets that the net builder makes of it, in the order of the net ring.

// Two resistors R1 and R2, VCC at R1's pin 1, OUT between R1's pin 2 at
// (3000, 2500) and R2's pin 1 at (3300, 2500), GND at R2's pin 2.
//   VCC: a wire from VCC's pin (2900, 2500) to R1's pin 1 (2940, 2500);
//   OUT: the tag OUT, the wire (3000, 2500)-(3300, 2500), R1 pin 2, R2 pin 1;
//   GND: R2's pin 2 (3360, 2500) on GND's pin.
// The name comes from a tag whose end lies on R1's pin 2: coming before the
// wire, it takes R1's pin into the net ahead of R2's, which the wire reaches
// at its far end. The wire to VCC comes first, so VCC's net is the first.
inline void workedExample(Design& d) {
    d.withResistor().withSymbol("VCC", 2).withSymbol("GND", 0);
    d.resistor(2940, 2500, "R1").resistor(3300, 2500, "R2");
    d.symbol(2900, 2500, "VCC").symbol(3360, 2500, "GND");
    d.sheet.wire(2900, 2500, 2940, 2500).tag(2960, 2500, "OUT").wire(3000, 2500, 3300, 2500);
}

// Labels along three wires from pin 2 of one resistor to pin 1 of the next,
// and a fourth wire that ends on a VCC pin. A wire takes its labels in
// order along it, then the pin at its far end, then the one at its near
// end:
//   W1, A, B, C, R2.1, R1.2
//   W2, OUT, OUT, DATA, OUT, R4.1, R3.2
//   W3, (empty label), B, R6.1, R5.2
//   W4, SUPPLY, VCC's pin, R7.2
inline void nameSources(Design& d) {
    d.withResistor().withSymbol("VCC", 0);
    d.resistor(100, 100, "R1").resistor(400, 100, "R2");
    d.sheet.wire(160, 100, 400, 100).label(200, 100, "A").label(250, 100, "B").label(300, 100, "C");
    d.resistor(100, 300, "R3").resistor(400, 300, "R4");
    d.sheet.wire(160, 300, 400, 300)
        .label(200, 300, "OUT")
        .label(230, 300, "OUT")
        .label(260, 300, "DATA")
        .label(290, 300, "OUT");
    d.resistor(100, 500, "R5").resistor(400, 500, "R6");
    d.sheet.wire(160, 500, 400, 500).label(200, 500, "").label(250, 500, "B");
    d.resistor(100, 700, "R7").symbol(400, 700, "VCC");
    d.sheet.wire(160, 700, 400, 700).label(300, 700, "SUPPLY");
}

// Nets that are not written between nets that are:
//   a wire with the label LONELY; two wires joined end to end;
//   R1.2 with R2.1 (unnamed); two VCC pins on each other;
//   R3.2 with R4.1 (unnamed); R5.2, the label NAMED, R6.1;
//   R7.2 with R8.1 (unnamed); two GND pins apart, joined by their name.
inline void unwrittenNets(Design& d) {
    d.withResistor().withSymbol("VCC", 2).withSymbol("GND", 0);
    d.sheet.wire(100, 100, 200, 100).label(150, 100, "LONELY");
    d.sheet.wire(400, 100, 500, 100).wire(500, 100, 600, 100);
    d.resistor(100, 300, "R1").resistor(160, 300, "R2");
    d.symbol(400, 300, "VCC").symbol(400, 300, "VCC");
    d.resistor(100, 500, "R3").resistor(160, 500, "R4");
    d.resistor(100, 700, "R5").resistor(160, 700, "R6");
    d.sheet.label(160, 700, "NAMED");
    d.resistor(100, 900, "R7").resistor(160, 900, "R8");
    d.symbol(400, 1100, "GND").symbol(600, 1100, "GND");
}

// NAND: four blocks of the pins A, B and Y. U1 shows all four blocks, each
// block's Y on the next block's A; a fifth NAND and a resistor have no ref.
//   U1(1/4) Y (1010, 980) with U1(2/4) A;  U1(2/4) Y (1070, 990) with
//   U1(3/4) A;  U1(3/4) Y (1130, 1000) with U1(4/4) A;  the unreferenced
//   NAND's Y (2010, 980) with the resistor's pin 1.
inline void multiBlock(Design& d) {
    using writers::pinAt, writers::pinNumber;
    d.library.add(
        {"NAND",
         4,
         4,
         4,
         0,
         {{pinAt(0, 1), "A", {pinNumber(1), pinNumber(4), pinNumber(9), pinNumber(12)}},
          {pinAt(0, 3), "B", {pinNumber(2), pinNumber(5), pinNumber(10), pinNumber(13)}},
          {pinAt(2, 2), "Y", {pinNumber(3), pinNumber(6), pinNumber(8), pinNumber(11)}}}});
    d.withResistor();
    // At origin (x, y): A ends at (x - 50, y - 30), Y at (x + 10, y - 20).
    for (int block = 0; block < 4; ++block)
        d.sheet.part(1000 + 60 * block, 1000 + 10 * block, "U1", "NAND", "NAND", 0, block);
    d.sheet.part(2000, 1000, "", "NAND", "NAND");
    d.resistor(2010, 980, "");
}

// Power symbols: VCC on pin 1 of R1 and of R2, GND on R1's pin 2, the
// symbol BAT (ref B1) on R2's pin 2.
//   R1.1, VCC, [R2.1, VCC when VCC is a power name]; R1.2, GND;
//   (R2.1, VCC otherwise); R2.2, BAT.
inline void powerSymbols(Design& d) {
    d.withResistor().withSymbol("VCC", 2).withSymbol("GND", 0).withSymbol("BAT", 0);
    d.resistor(100, 100, "R1").resistor(100, 300, "R2");
    d.symbol(100, 100, "VCC").symbol(100, 300, "VCC");
    d.symbol(160, 100, "GND").symbol(160, 300, "BAT", "B1");
}

// LM358, which no library holds, placed as two blocks of U1 between R1
// and R2, whose pins 2 and 1 meet at (160, 100).
inline void missingPart(Design& d) {
    d.withResistor();
    d.resistor(100, 100, "R1");
    d.sheet.part(500, 500, "U1", "LM358", "LM358", 0, 0)
        .part(600, 500, "U1", "LM358", "LM358", 0, 1);
    d.resistor(160, 100, "R2");
}

// The two report formats, as the program writes them on this platform.
inline std::string emptyDefaultReport() {
    return lines("\n#PartList\n\n\n#NetList\n\n\n#End\n");
}
inline std::string emptyPackageReport() {
    return lines("$PACKAGES\n$NETS\n$END\n");
}

} // namespace dovla::testing
