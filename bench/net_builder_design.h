#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dovla::bench {

// One object of a generated design, as the store's addObject takes it.
struct DesignObject {
    std::int32_t kind, attr, x1, y1, x2, y2;
    bool hasEnd2;
    std::string name, text;
};

// Many separate two-object nets (a wire and a tag), whose tags name every
// two of them alike, with a pin at every fourth, followed by power pins
// named VCC or GND at random places that touch nothing: work for the name
// joins of stages 7 and 8 at any size.
std::vector<DesignObject> taggedNetsAndPowerPins(std::int32_t taggedNets, std::int32_t powerPins,
                                                 std::uint32_t seed = 1);

} // namespace dovla::bench
