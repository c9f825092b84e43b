#include "export/kicad_symbols.h"

#include "export/kicad_text.h"
#include "export/pin_names.h"

namespace dovla::sheettool::kicad {

namespace {

const char* const font = "(effects (font (size 1.27 1.27)))";
const char* const hiddenFont = "(effects (font (size 1.27 1.27)) hide)";
const char* const stroke = "(stroke (width 0.254) (type default) (color 0 0 0 0))";

// A point of the part's own units in the library's millimetres (y upward).
std::string at(std::int64_t u, std::int64_t v, int angle) {
    return "(at " + mm(u * unitIU) + " " + mm(-v * unitIU) + " " + std::to_string(angle) + ")";
}

std::string property(const char* name, const std::string& value, int id, std::int64_t u,
                     std::int64_t v, bool hidden) {
    return std::string("(property \"") + name + "\" " + quoted(value) + " (id " +
           std::to_string(id) + ") " + at(u, v, 0) + " " + (hidden ? hiddenFont : font) + ")";
}

struct Body {
    std::int64_t w, h;
};

// The pin's end, and the angle from its end toward the body.
void pinPlace(const model::SymbolPin& pin, Body body, std::int64_t& u, std::int64_t& v,
              int& angle) {
    std::int64_t offset = 10 * pin.offset;
    switch (pin.side) {
    case model::SymbolPin::Left:
        u = -body.w - 10, v = offset - body.h, angle = 0;
        break;
    case model::SymbolPin::Top:
        u = offset - body.w, v = -body.h - 10, angle = 270;
        break;
    case model::SymbolPin::Right:
        u = 10, v = offset - body.h, angle = 180;
        break;
    default:
        u = offset - body.w, v = 10, angle = 90;
        break;
    }
}

} // namespace

bool isGroundName(std::string_view name) {
    std::string upper;
    for (char c : name)
        upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return upper.find("GND") != std::string::npos || upper.rfind("VSS", 0) == 0 || upper == "0V";
}

std::string idText(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == '.' || c == '+';
        out += plain ? c : '_';
    }
    return out.empty() ? "_" : out;
}

KPoint placedPoint(const PlacedSymbol& placed, std::int64_t u, std::int64_t v) {
    std::int64_t x = u, y = v;
    switch (placed.angle) {
    case 90:
        x = v, y = -u;
        break;
    case 180:
        x = -u, y = -v;
        break;
    case 270:
        x = -v, y = u;
        break;
    default:
        break;
    }
    if (placed.mirror)
        x = -x;
    return {placed.anchor.x + x * unitIU, placed.anchor.y + y * unitIU};
}

std::string symbolText(const model::Design& design, const SymbolUse& use, const std::string& id,
                       int indent) {
    const std::string pad(indent, ' ');
    const std::string own = use.name; // sub-symbols are named without the library
    std::string out;
    auto line = [&](int depth, const std::string& text) {
        out += pad + std::string(2 * depth, ' ') + text + "\n";
    };
    bool power = use.kind != SymbolUse::Library && use.kind != SymbolUse::Box;
    line(0,
         "(symbol " + quoted(id) + (power ? " (power)" : "") +
             (use.kind == SymbolUse::PowerFlag ? " (pin_numbers hide) (pin_names (offset 0) hide)"
                                               : " (pin_names (offset 0.508))") +
             " (in_bom " + (power ? "no" : "yes") + ") (on_board " + (power ? "no" : "yes") + ")");
    if (use.kind == SymbolUse::PowerConnector) {
        // As KiCad draws its own: a bar for a supply, the ground sign for a
        // ground, pointing up from the pin when not turned.
        line(1, property("Reference", "#PWR", 0, 0, 8, true));
        line(1, property("Value", use.powerName, 1, 0, -15, false));
        line(1, property("Footprint", "", 2, 0, 0, true));
        line(1, property("Datasheet", "", 3, 0, 0, true));
        line(1, "(symbol " + quoted(own + "_0_1"));
        if (isGroundName(use.powerName))
            line(2,
                 "(polyline (pts (xy 0 0) (xy 0 1.27) (xy 1.27 1.27) (xy 0 2.54) (xy -1.27 1.27) "
                 "(xy 0 1.27)) " +
                     std::string(stroke) + " (fill (type none)))");
        else
            line(2, "(polyline (pts (xy 0 0) (xy 0 1.905) (xy -1.27 1.905) (xy 1.27 1.905)) " +
                        std::string(stroke) + " (fill (type none)))");
        line(1, ")");
        line(1, "(symbol " + quoted(own + "_1_1"));
        line(2, "(pin power_in line (at 0 0 90) (length 0) hide (name " + quoted(use.powerName) +
                    " " + font + ") (number \"1\" " + font + "))");
        line(1, ")");
        line(0, ")");
        return out;
    }
    if (use.kind == SymbolUse::PowerFlag) {
        // KiCad's mark that a net is driven, for its rules check: a power
        // output whose pin joins no net by its name.
        line(1, property("Reference", "#FLG", 0, 0, 8, true));
        line(1, property("Value", "PWR_FLAG", 1, 0, -15, false));
        line(1, property("Footprint", "", 2, 0, 0, true));
        line(1, property("Datasheet", "", 3, 0, 0, true));
        line(1, "(symbol " + quoted(own + "_0_0"));
        line(2, std::string("(pin power_out line (at 0 0 90) (length 0) (name \"pwr\" ") + font +
                    ") (number \"1\" " + font + "))");
        line(1, ")");
        line(1, "(symbol " + quoted(own + "_0_1"));
        line(2,
             "(polyline (pts (xy 0 0) (xy 0 1.27) (xy -1.016 1.905) (xy 0 2.54) (xy 1.016 1.905) "
             "(xy 0 1.27)) " +
                 std::string(stroke) + " (fill (type none)))");
        line(1, ")");
        line(0, ")");
        return out;
    }
    if (use.kind == SymbolUse::Box) {
        line(1, property("Reference", "U", 0, -20, -22, false));
        line(1, property("Value", utf8Text(use.libName), 1, -20, 2, false));
        line(1, property("Footprint", "", 2, 0, 0, true));
        line(1, property("Datasheet", "", 3, 0, 0, true));
        line(1, "(symbol " + quoted(own + "_0_1"));
        line(2, "(rectangle (start " + mm(-40 * unitIU) + " " + mm(20 * unitIU) + ") (end 0 0) " +
                    stroke + " (fill (type none)))");
        line(2, "(text " + quoted("? " + utf8Text(use.libName)) + " " + at(-20, -10, 0) + " " +
                    font + ")");
        line(1, ")");
        line(0, ")");
        return out;
    }
    const model::Symbol& symbol = design.symbols[use.symbol];
    Body body{10 * symbol.width, 10 * symbol.height};
    line(1, property("Reference", power ? "#PWR" : "U", 0, -body.w / 2, -body.h - 5, power));
    line(1, property("Value", utf8Text(symbol.libName), 1, -body.w / 2, 5, false));
    line(1, property("Footprint", "", 2, 0, 0, true));
    line(1, property("Datasheet", "", 3, 0, 0, true));
    line(1, "(symbol " + quoted(own + "_0_1"));
    line(2, "(rectangle (start " + mm(-body.w * unitIU) + " " + mm(body.h * unitIU) +
                ") (end 0 0) " + stroke + " (fill (type background)))");
    line(1, ")");
    std::vector<std::string> names;
    for (const model::SymbolPin& pin : symbol.pins)
        names.push_back(power ? use.powerName : pin.name.empty() ? "~" : utf8Text(pin.name));
    std::vector<std::int64_t> sizes = pinNameSizes(symbol, names);
    for (int block = 0; block < symbol.blockCount; ++block) {
        line(1, "(symbol " + quoted(own + "_" + std::to_string(block + 1) + "_1"));
        for (std::size_t i = 0; i < symbol.pins.size(); ++i) {
            const model::SymbolPin& pin = symbol.pins[i];
            std::int64_t u, v;
            int angle;
            pinPlace(pin, body, u, v, angle);
            std::string size = mm(sizes[i]) + " " + mm(sizes[i]);
            line(2, std::string("(pin ") + (power ? "power_in" : "passive") + " line " +
                        at(u, v, angle) + " (length 2.54) (name " + quoted(names[i]) +
                        " (effects (font (size " + size + ")))) (number " +
                        quoted(utf8Text(pin.numbers[block])) + " " + font + "))");
        }
        line(1, ")");
    }
    line(0, ")");
    return out;
}

} // namespace dovla::sheettool::kicad
