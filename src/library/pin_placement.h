#pragma once

#include <cstddef>
#include <cstdint>

namespace dovla {

struct PinPoints {
    std::int32_t endX, endY;   // 10 units outside the body
    std::int32_t rootX, rootY; // on the body's edge
};

// Where a pin lies for a part placed at (x, y), the body corner of greatest x
// and y, with the placement code dir (bits 0-1 rotation, bit 2 mirror).
PinPoints placePin(std::int32_t dir, std::uint16_t position, std::int32_t x, std::int32_t y,
                   std::uint8_t width, std::uint8_t height);

// A text of bounded length, built in place without taking memory. The
// longest pin text (a reference of 7, a block suffix, a part name of 15 and
// an escaped pin name of 62 characters) fits.
class ShortText {
  public:
    static constexpr std::size_t capacity = 127;

    void append(char c) {
        if (size_ < capacity)
            text_[size_++] = c;
        text_[size_] = '\0';
    }
    void append(const char* text) {
        while (*text != '\0')
            append(*text++);
    }
    void appendNumber(std::uint32_t number);

    const char* c_str() const { return text_; }
    std::size_t size() const { return size_; }

  private:
    char text_[capacity + 1] = "";
    std::size_t size_ = 0;
};

ShortText escapePinName(const char* pinName);
ShortText formatPinText(const char* ref, std::int32_t block, std::uint8_t blockCount,
                        const char* partName, std::uint16_t pinNumber, const char* pinName);
ShortText formatPinTextPackage(const char* ref, std::uint16_t pinNumber);

} // namespace dovla
