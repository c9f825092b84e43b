#pragma once

#include <cstdint>
#include <string>

namespace dovla {

struct PinPoints {
    std::int32_t endX, endY;   // 10 units outside the body
    std::int32_t rootX, rootY; // on the body's edge
};

// Where a pin lies for a part placed at (x, y), the body corner of greatest x
// and y, with the placement code dir (bits 0-1 rotation, bit 2 mirror).
PinPoints placePin(std::int32_t dir, std::uint16_t position, std::int32_t x, std::int32_t y,
                   std::uint8_t width, std::uint8_t height);

std::string escapePinName(const char* pinName);
std::string formatPinText(const char* ref, std::int32_t block, std::uint8_t blockCount,
                          const char* partName, std::uint16_t pinNumber, const char* pinName);
std::string formatPinTextPackage(const char* ref, std::uint16_t pinNumber);

} // namespace dovla
