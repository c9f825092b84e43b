#pragma once

#include <cstdint>

namespace dovla {

// One pin of a loaded library part.
struct LibPin {
    std::uint16_t position; // bits 0-7 offset along the side (units of 10), bits 8-9 side
    char name[32];          // empty when the pin has no name
    std::uint16_t* numbers; // one pin number word per block
};

// One loaded library part; width to pinWord are the part record's twelve
// bytes as they stand in the file.
struct LibPart {
    char name[16];
    std::uint8_t width;  // units of 10
    std::uint8_t height; // units of 10
    std::uint8_t blockCount;
    std::uint8_t unused[7];
    std::uint16_t pinWord; // bits 0-11 the pin count
    LibPin* pins;

    std::uint32_t pinCount() const { return pinWord & 0xFFFu; }
};

} // namespace dovla
