#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dovla::writers {

// Pin position word: side (0 left, 1 top, 2 right, 3 bottom) and offset
// along it, both as the library stores them.
constexpr std::uint16_t pinAt(int side, int offset) {
    return static_cast<std::uint16_t>((side & 3) << 8 | (offset & 0xFF));
}

// Pin number word: the number and an optional letter ('A' to 'Z').
constexpr std::uint16_t pinNumber(int number, char letter = 0) {
    return static_cast<std::uint16_t>((letter ? (letter - 0x40) << 10 : 0) | (number & 0x1FF));
}

struct LibPinShape {
    std::uint16_t position = 0;
    std::string name;                   // empty: the pin has no name
    std::vector<std::uint16_t> numbers; // one per block
    // The length byte stored in front of the name, when not the name's own
    // length (damaged libraries: 0, or more than the name's field holds).
    int nameLength = -1;
};

struct LibPartDescription {
    std::string name;
    int width = 4;  // units of 10
    int height = 3; // units of 10
    int blockCount = 1;
    int pinWordHighBits = 0; // bits 12-15 of the pin word
    std::vector<LibPinShape> pins;
    // The part offset table's entry, when not the place of the part's own
    // record: a record placed by hand, or one past the end of the file.
    int recordOffset = -1;
};

// Builds library files. Identical part records share their bytes, so that
// libraries of many parts fit the 64 KiB the part offsets reach.
class LibraryWriter {
  public:
    LibraryWriter& add(const LibPartDescription& part);
    // Shorthand: a part with pins 1..pinCount on the left side, one block.
    LibraryWriter& simple(const std::string& name, int pinCount);

    std::vector<std::uint8_t> bytes() const;
    void save(const std::string& path) const;

  private:
    std::vector<LibPartDescription> parts_;
};

} // namespace dovla::writers
