#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/byte_order.h"

// The sheet file's record types, body sizes and field layout.
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

// Offsets within a record's body (the bytes after the type byte), and the
// sizes of its text fields.
namespace field {
// Every item: its attribute bits and its (first) point.
constexpr std::size_t attr = 0;
constexpr std::size_t x = 1;
constexpr std::size_t y = 3;
// Buses, wires and type 4: the second end.
constexpr std::size_t x2 = 5;
constexpr std::size_t y2 = 7;
// Labels and tags: a signed length byte and the text field.
constexpr std::size_t textLength = 5;
constexpr std::size_t text = 6;
constexpr std::size_t textSize = 11;
constexpr int maxTextLength = 11;
// Parts.
constexpr std::size_t partDir = 9;
constexpr std::size_t partBlock = 10;
constexpr std::size_t partNameLength = 11;
constexpr std::size_t partName = 12;
constexpr std::size_t partNameSize = 19;
constexpr int maxPartNameLength = 15;
constexpr std::size_t refLength = 31;
constexpr std::size_t ref = 32;
constexpr std::size_t refSize = 11;
constexpr int maxRefLength = 7;
constexpr std::size_t libName = 43; // NUL-terminated within its field
constexpr std::size_t libNameSize = 16;
// Sheet headers.
constexpr std::size_t sizeCode = 0;
constexpr std::size_t magic = 1;
constexpr std::size_t movedSizeCode = 33; // the code, when byte 0 holds 32
constexpr int sizeCodeMoved = 32;
// Extension records: the 13-byte head.
constexpr std::size_t extensionLength = 9; // int16, counted from the type byte
constexpr std::size_t minExtensionLength = 14;
} // namespace field

// Width of a tag by the length of its text; 7 and 8 characters both give 80.
constexpr std::int32_t tagWidths[13] = {20, 20, 30, 40, 50, 60, 70, 80, 80, 90, 100, 110, 120};

// The sheet size code of a header's body; it changes nothing in the net
// list.
inline int sheetSizeCode(const unsigned char* body) {
    return body[field::sizeCode] == field::sizeCodeMoved ? body[field::movedSizeCode]
                                                         : body[field::sizeCode];
}

struct SheetSize {
    std::int32_t width;
    std::int32_t height;
};

// Drawing units of each size code; every code above 3 is the largest size.
inline SheetSize sheetSize(int code) {
    constexpr SheetSize sizes[4] = {{640, 400}, {1000, 750}, {1600, 1200}, {2000, 1500}};
    return code >= 0 && code < 4 ? sizes[code] : SheetSize{3000, 2000};
}

} // namespace dovla::sheetformat
