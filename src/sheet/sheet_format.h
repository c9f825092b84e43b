#pragma once

#include <cstddef>
#include <cstdint>

// The sheet file's record types and body sizes.
namespace dovla::sheetformat {

enum RecordType : int {
    JunctionRecord = 0,
    BusEntryRecord = 1,
    BusRecord = 2,
    WireRecord = 3,
    LineRecord = 4, // not used by the net list
    LabelRecord = 5,
    TagRecord = 6,
    TextRecord = 7, // not used by the net list
    PartRecord = 8,
    SheetHeaderRecord = 9,
    FirstInvalidRecord = 10,
    FirstExtensionRecord = 16,
};

constexpr std::size_t bodySizes[10] = {5, 5, 9, 9, 9, 17, 17, 37, 59, 59};
constexpr std::size_t extensionHeadSize = 13;
constexpr char sheetMagic[] = "KV DATA FILE";
constexpr int sheetMagicLength = 12;

// Width of a tag by the length of its text; 7 and 8 characters both give 80.
constexpr std::int32_t tagWidths[13] = {20, 20, 30, 40, 50, 60, 70, 80, 80, 90, 100, 110, 120};

inline std::int16_t readInt16(const unsigned char* bytes) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8));
}

} // namespace dovla::sheetformat
