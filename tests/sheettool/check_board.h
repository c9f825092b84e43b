#pragma once

#include <string>

#include "design_texts.h"
#include "writers/library_writer.h"

namespace dovla::sheettool::testing {

// A small controller board, drawn with the slips a review finds: the
// controller U1 (MCU16: VDD, RST, XTAL1, XTAL2, GND, NC on the left, PA0,
// PA1, TX, RX, LED, NC on the right), its reset pull-up R1, crystal X1, an
// indicator R2 and D1, and the serial connector J1. TX and RX are carried
// to J1 by labels, which only name (and RX is RXD at the controller); the
// LED pin's wire ends in the air; PA1 is not wired. Both NC pins are meant
// to stay free.
class CheckBoard : public DesignTexts {
  protected:
    void SetUp() override {
        DesignTexts::SetUp();
        using writers::pinAt;
        using writers::pinNumber;
        writers::LibPartDescription mcu{"MCU16", 6, 7, 1, 0, {}};
        const char* left[] = {"VDD", "RST", "XTAL1", "XTAL2", "GND", "NC"};
        const char* right[] = {"PA0", "PA1", "TX", "RX", "LED", "NC"};
        for (int i = 0; i < 6; ++i)
            mcu.pins.push_back({pinAt(0, i + 1), left[i], {pinNumber(i + 1)}});
        for (int i = 0; i < 6; ++i)
            mcu.pins.push_back({pinAt(2, i + 1), right[i], {pinNumber(i + 7)}});
        writers::LibraryWriter().add(mcu).save(dir.file("mcu.lib"));
        dir.write("TAVEL.INI",
                  std::string("[Library]\nLIB0=basic.lib\nLIB1=logic.lib\nLIB2=mcu.lib\n"));
    }

    // The board's sheet; every item moved by (dx, dy) for a redraw.
    static std::string board(int dx = 0, int dy = 0, const std::string& serial = labels) {
        std::string text = "sheet code=4\n" + serial + common;
        return moved(text, dx, dy);
    }

    // The serial lines as drawn first: labels, which join nothing.
    static inline const std::string labels = "wire from=610,340 to=700,340\n"
                                             "label at=650,340 text=\"TX\"\n"
                                             "wire from=610,350 to=700,350\n"
                                             "label at=650,350 text=\"RXD\"\n"
                                             "wire from=910,340 to=950,340\n"
                                             "label at=930,340 text=\"TX\"\n"
                                             "wire from=910,350 to=950,350\n"
                                             "label at=930,350 text=\"RX\"\n";
    // The same lines mended: tags of one name join.
    static inline const std::string tags = "wire from=610,340 to=700,340\n"
                                           "tag at=700,340 text=\"TX\"\n"
                                           "wire from=610,350 to=700,350\n"
                                           "tag at=700,350 text=\"RX\"\n"
                                           "wire from=910,340 to=950,340\n"
                                           "tag at=950,340 text=\"TX\"\n"
                                           "wire from=910,350 to=950,350\n"
                                           "tag at=950,350 text=\"RX\"\n";

  private:
    static inline const std::string common =
        "part at=600,380 ref=\"U1\" name=\"MCU16\" lib=\"MCU16\"\n"
        "part at=450,300 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
        "wire from=440,310 to=440,320\n"
        "wire from=440,320 to=530,320\n"
        "part at=520,340 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
        "wire from=470,330 to=470,320\n"
        "junction at=470,320\n"
        "part at=420,350 ref=\"X1\" name=\"XTAL\" lib=\"CAP\"\n"
        "wire from=430,340 to=530,340\n"
        "wire from=390,340 to=380,340\n"
        "wire from=380,340 to=380,350\n"
        "wire from=380,350 to=530,350\n"
        "wire from=530,360 to=440,360\n"
        "part at=450,390 ref=\"\" name=\"GND\" lib=\"GND\"\n"
        "part at=670,330 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
        "wire from=610,320 to=620,320\n"
        "part at=720,330 ref=\"D1\" name=\"LED\" lib=\"CAP\"\n"
        "wire from=680,320 to=690,320\n"
        "part at=740,350 ref=\"\" name=\"GND\" lib=\"GND\"\n"
        "part at=900,360 ref=\"J1\" name=\"CONN2\" lib=\"CONN2\"\n"
        "wire from=610,360 to=640,360\n";

    // Every at=, from= and to= point of the text moved.
    static std::string moved(const std::string& text, int dx, int dy) {
        std::string out;
        std::size_t at = 0;
        while (true) {
            std::size_t found = text.find('=', at);
            if (found == std::string::npos)
                break;
            std::size_t start = found + 1;
            std::size_t comma = text.find(',', start);
            std::size_t end = text.find_first_of(" \n", start);
            bool point = std::isdigit(static_cast<unsigned char>(text[start])) &&
                         comma != std::string::npos && comma < end;
            out += text.substr(at, start - at);
            if (point) {
                out += std::to_string(std::stoi(text.substr(start, comma - start)) + dx) + "," +
                       std::to_string(std::stoi(text.substr(comma + 1, end - comma - 1)) + dy);
                at = end;
            } else {
                at = start;
            }
        }
        return out + text.substr(at);
    }
};

} // namespace dovla::sheettool::testing
