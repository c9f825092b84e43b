#include "net_builder_design.h"

#include <random>
#include <unordered_set>

namespace dovla::bench {

namespace {

constexpr std::int32_t wireKind = 3, tagKind = 6, pinKind = 8;
constexpr std::int32_t netsPerRow = 400;
constexpr std::int32_t netPitchX = 200;
constexpr std::int32_t netPitchY = 100;
constexpr std::int32_t wireLength = 60;
constexpr std::int32_t tagWidth = 40;

// The power pins lie below the rows of nets, on a 20-unit raster, so none
// of them touches a wire, a tag or another pin.
constexpr std::int32_t pinAreaTop = 10000;
constexpr std::int32_t pinAreaColumns = 4750;
constexpr std::int32_t pinAreaRows = 2650;
constexpr std::int32_t pinPitch = 20;

} // namespace

std::vector<DesignObject> taggedNetsAndPowerPins(std::int32_t taggedNets, std::int32_t powerPins,
                                                 std::uint32_t seed) {
    std::vector<DesignObject> design;
    for (std::int32_t i = 0; i < taggedNets; ++i) {
        std::int32_t x = 100 + (i % netsPerRow) * netPitchX;
        std::int32_t y = 100 + (i / netsPerRow) * netPitchY;
        std::string name = "N" + std::to_string(i / 2);
        design.push_back({wireKind, 0, x, y, x + wireLength, y, true, "", ""});
        design.push_back(
            {tagKind, 0, x + wireLength, y, x + wireLength + tagWidth, y, true, name, name});
        if (i % 4 == 0)
            design.push_back({pinKind, 0, x, y, -(x - 10), -y, false, "U1", "U1-1"});
    }
    std::mt19937 generator(seed);
    std::uniform_int_distribution<std::int32_t> column(0, pinAreaColumns - 1);
    std::uniform_int_distribution<std::int32_t> row(0, pinAreaRows - 1);
    std::uniform_int_distribution<int> side(0, 3);
    static const std::int32_t toward[4][2] = {{10, 0}, {-10, 0}, {0, 10}, {0, -10}};
    std::unordered_set<std::int64_t> taken;
    for (std::int32_t i = 0; i < powerPins;) {
        std::int32_t x = column(generator) * pinPitch;
        std::int32_t y = pinAreaTop + row(generator) * pinPitch;
        if (!taken.insert(static_cast<std::int64_t>(x) << 32 | y).second)
            continue;
        const std::int32_t* d = toward[side(generator)];
        const char* name = (generator() & 1) != 0 ? "VCC" : "GND";
        design.push_back({pinKind, 0, x, y, -(x + d[0]), -(y + d[1]), false, name, name});
        ++i;
    }
    return design;
}

} // namespace dovla::bench
