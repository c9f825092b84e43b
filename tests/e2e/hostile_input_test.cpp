#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"
#include "writers/library_writer.h"
#include "writers/sheet_writer.h"

// Inputs that the formats allow but that push every limit at once: the
// largest coordinates on all 32 sheets, wires across the whole 16-bit range
// scanned point by point, libraries at their largest counts. Each run must
// complete with the right report or stop with its message.
namespace dovla::testing {
namespace {

using writers::LibPartDescription;
using writers::LibraryWriter;
using writers::pinAt;
using writers::pinNumber;
using writers::SheetWriter;

constexpr int left = 0, top = 1, right = 2, bottom = 3;

std::string report(const std::string& partList, const std::string& netList) {
    return lines("\n#PartList\n\n" + partList + "\n#NetList\n\n" + netList + "\n#End\n");
}

class HostileInput : public ::testing::Test {
  protected:
    void useLibrary(const LibraryWriter& library) {
        library.save(dir.file("hostile.lib"));
        dir.write("TAVEL.INI", std::string("[Library]\nLIB0=hostile.lib\n"));
    }
    RunResult run(const SheetWriter& sheet, std::vector<std::string> arguments = {}) {
        sheet.save(dir.file("hostile.sch"));
        arguments.push_back("hostile.sch");
        return runProgram(arguments, dir.path());
    }
    TempDir dir;
};

// On each of the 32 sheets a resistor sits at the largest coordinates, its
// pin 1 wired 31717 units to the left to pin 1 of another, with a label on
// the wire. From sheet 16 on the items lie beyond the point grid, on sheet
// 32 wholly so; every sheet still makes its own net, in sheet order.
TEST_F(HostileInput, LargestCoordinatesOnAll32Sheets) {
    useLibrary(LibraryWriter().simple("R", 2)); // pin k ends 50 left, 30 - 10k above
    SheetWriter sheet;
    std::string parts;
    std::string nets;
    for (int s = 1; s <= 32; ++s) {
        std::string name = "S" + std::to_string(s);
        sheet.header()
            .part(32767, 32767, "R1", "R", "R")
            .part(1050, 32767, "R2", "R", "R")
            .wire(32717, 32747, 1000, 32747)
            .label(16000, 32747, name);
        parts += "R1:\tR\nR2:\tR\n";
        nets += name + "\n{\n\tR1:\tR [1]\n\tR2:\tR [1]\n}\n";
    }
    RunResult result = run(sheet);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
    EXPECT_EQ(result.out, report(parts, nets));
}

// Two wires across the whole range, crossing at a junction in the middle,
// with a pin at each of their four ends, all in negative and beyond-grid
// coordinates before the first sheet header. With -s every point is
// scanned: the junction cuts both wires and joins the four pieces, and the
// label names the net. The default step of 10 from -32768 passes by both
// the junction at 0 and the label at -12345: two nets, neither named.
TEST_F(HostileInput, WiresOfTheLargestLengthScannedAtEveryPoint) {
    LibraryWriter library; // bodies of size 0: each pin ends 10 from the origin
    library.add({"PL", 0, 0, 1, 0, {{pinAt(left, 0), "", {pinNumber(1)}}}});
    library.add({"PR", 0, 0, 1, 0, {{pinAt(right, 0), "", {pinNumber(1)}}}});
    library.add({"PT", 0, 0, 1, 0, {{pinAt(top, 0), "", {pinNumber(1)}}}});
    library.add({"PB", 0, 0, 1, 0, {{pinAt(bottom, 0), "", {pinNumber(1)}}}});
    useLibrary(library);
    SheetWriter sheet;
    sheet.wire(32767, 0, -32768, 0).wire(0, 32767, 0, -32768).junction(0, 0);
    sheet.label(-12345, 0, "X");
    sheet.part(-32758, 0, "W", "PL", "PL").part(32757, 0, "E", "PR", "PR");
    sheet.part(0, -32758, "N", "PT", "PT").part(0, 32757, "S", "PB", "PB");
    const std::string parts = "W:\tPL\nE:\tPR\nN:\tPT\nS:\tPB\n";

    // The far ends of the west and north pieces are joined first; the east
    // and south pieces, cut off at the junction, come behind the pins in
    // the object order, so their pins join the net by themselves.
    RunResult fine = run(sheet, {"-s"});
    EXPECT_EQ(fine.status, 0);
    EXPECT_EQ(fine.err, banner());
    EXPECT_EQ(fine.out,
              report(parts, "X\n{\n\tW:\tPL [1]\n\tN:\tPT [1]\n\tE:\tPR [1]\n\tS:\tPB [1]\n}\n"));

    // Each whole wire joins its end 2 before its end 1.
    RunResult coarse = run(sheet);
    EXPECT_EQ(coarse.status, 0);
    EXPECT_EQ(coarse.out, report(parts, "{\n\tE:\tPR [1]\n\tW:\tPL [1]\n}\n"
                                        "{\n\tS:\tPB [1]\n\tN:\tPT [1]\n}\n"));
}

// The header promises 65,535 parts; the file ends inside the name offset
// table.
TEST_F(HostileInput, ALibraryClaimingAllPartsInAShortFile) {
    std::vector<std::uint8_t> library = LibraryWriter().simple("R", 2).bytes();
    library[16] = 0xFF;
    library[17] = 0xFF;
    library.resize(54 + 4 * 1000);
    dir.write("hostile.lib", library);
    dir.write("TAVEL.INI", std::string("[Library]\nLIB0=hostile.lib\n"));
    RunResult result = run(SheetWriter().header().part(200, 200, "R1", "R", "R"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, banner() + lines("dovla32: file read error!\n"));
    EXPECT_EQ(result.out, "");
}

// A library that really holds 65,535 parts; the sheet uses the last one.
TEST_F(HostileInput, ALibraryOfAllPartsItCanHold) {
    LibraryWriter library;
    for (int i = 0; i < 65535; ++i)
        library.simple("P" + std::to_string(i), 1);
    useLibrary(library);
    // Pin 1 of P ends 50 left of the origin and 10 above it.
    SheetWriter sheet;
    sheet.header().part(300, 300, "A", "LAST", "P65534").part(500, 300, "B", "FIRST", "P0");
    sheet.wire(250, 290, 450, 290);
    RunResult result = run(sheet);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
    // The wire joins its end 2, at B, before its end 1.
    EXPECT_EQ(result.out,
              report("A:\tLAST\nB:\tFIRST\n", "{\n\tB:\tFIRST [1]\n\tA:\tLAST [1]\n}\n"));
}

// A part with 4,095 pins, the most that the pin count holds. Its sides have
// 4 × 256 places, so pins k, k + 1024, k + 2048 and k + 3072 end at the same
// point and make one net, in the order of the first pin of each.
TEST_F(HostileInput, APartWithTheMostPins) {
    constexpr int pinCount = 4095;
    LibPartDescription big{"BIG", 255, 255, 1, 0, {}};
    auto number = [](int pin) { return pin % 511 + 1; };
    for (int pin = 0; pin < pinCount; ++pin)
        big.pins.push_back(
            {pinAt(pin / 256 % 4, pin % 256), "N" + std::to_string(pin), {pinNumber(number(pin))}});
    useLibrary(LibraryWriter().add(big));
    std::string nets;
    for (int first = 0; first < 1024; ++first) {
        nets += "{\n";
        for (int pin = first; pin < pinCount; pin += 1024)
            nets +=
                "\tU1:\tBIG [" + std::to_string(number(pin)) + "(N" + std::to_string(pin) + ")]\n";
        nets += "}\n";
    }
    RunResult result = run(SheetWriter().header().part(2900, 1900, "U1", "BIG", "BIG"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, banner());
    EXPECT_EQ(result.out, report("U1:\tBIG\n", nets));
}

} // namespace
} // namespace dovla::testing
