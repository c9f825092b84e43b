#pragma once

#include <gtest/gtest.h>

#include <string>

// The designs that the tests of diff change, and the way they change them.
namespace dovla::sheettool::testing {

// A microcontroller with four named pins and an LED. Unrotated, MCU4's
// left pins end at x 250, its right ones at 310, y 260 and 270; the LED's
// anode ends at 460,290, its cathode at 510,290.
inline const std::string partsLibrary = "library-file\nheader\n"
                                        "part name=\"MCU4\" width=4 height=5 blocks=1\n"
                                        "  pin side=left offset=1 numbers=1 name=\"PA0\"\n"
                                        "  pin side=left offset=2 numbers=2 name=\"PA1\"\n"
                                        "  pin side=right offset=1 numbers=3 name=\"PB0\"\n"
                                        "  pin side=right offset=2 numbers=4 name=\"PB1\"\n"
                                        "part name=\"LED\" width=3 height=2 blocks=1\n"
                                        "  pin side=left offset=1 numbers=1 name=\"A\"\n"
                                        "  pin side=right offset=1 numbers=2 name=\"K\"\n";

// A sheet of the two: U1.1 on IN, U1.3 and D1.1 on LEDA, D1.2 on RET.
inline const std::string ledBoard = "sheet-file\nsheet code=4\n"
                                    "part at=300,300 ref=\"U1\" name=\"MCU4\" lib=\"MCU4\"\n"
                                    "part at=500,300 ref=\"D1\" name=\"LED\" lib=\"LED\"\n"
                                    "wire from=150,260 to=250,260\nlabel at=180,260 text=\"IN\"\n"
                                    "wire from=310,260 to=460,260\nwire from=460,260 to=460,290\n"
                                    "label at=380,260 text=\"LEDA\"\n"
                                    "wire from=510,290 to=600,290\nlabel at=560,290 text=\"RET\"\n";

// The text with the first `from` replaced; a test that names a text that
// is not there fails.
inline std::string replaced(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// The LED's anode and cathode numbered the other way round.
inline std::string swappedLed() {
    return replaced(replaced(partsLibrary, "numbers=1 name=\"A\"", "numbers=2 name=\"A\""),
                    "numbers=2 name=\"K\"", "numbers=1 name=\"K\"");
}

// Sheet 1 is the LED board (U1.1 on IN, U1.3 and D1.1 on LEDA, D1.2 on
// RET); on sheet 2 two more MCU4s, U2.3 and U3.1 on IN2, U2.4 and U3.2 on
// RET2.
inline const std::string sheetOne = ledBoard.substr(std::string("sheet-file\n").size());
inline const std::string sheetTwo =
    "sheet code=4\n"
    "part at=300,300 ref=\"U2\" name=\"MCU4\" lib=\"MCU4\"\n"
    "part at=500,300 ref=\"U3\" name=\"MCU4\" lib=\"MCU4\"\n"
    "wire from=310,260 to=450,260\nlabel at=350,260 text=\"IN2\"\n"
    "wire from=310,270 to=450,270\nlabel at=350,270 text=\"RET2\"\n";

// U3's two pins trade nets: the wires cross over on their way.
inline const std::string crossedOver =
    replaced(replaced(sheetTwo, "wire from=310,260 to=450,260\n",
                      "wire from=310,260 to=420,260\nwire from=420,260 to=420,280\n"
                      "wire from=420,280 to=440,280\nwire from=440,280 to=440,270\n"
                      "wire from=440,270 to=450,270\n"),
             "wire from=310,270 to=450,270\n",
             "wire from=310,270 to=400,270\nwire from=400,270 to=400,250\n"
             "wire from=400,250 to=450,250\nwire from=450,250 to=450,260\n");

} // namespace dovla::sheettool::testing
