#pragma once

#include <cstdint>

// The sheet and library files store their integers little-endian, whatever
// the machine's own order.
namespace dovla {

inline std::uint16_t readUint16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

inline std::int16_t readInt16(const unsigned char* bytes) {
    return static_cast<std::int16_t>(readUint16(bytes));
}

inline std::int32_t readInt32(const unsigned char* bytes) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

// The low 16 bits of the value.
inline void writeUint16(unsigned char* bytes, std::uint32_t value) {
    bytes[0] = static_cast<unsigned char>(value);
    bytes[1] = static_cast<unsigned char>(value >> 8);
}

inline void writeUint32(unsigned char* bytes, std::uint32_t value) {
    writeUint16(bytes, value & 0xFFFF);
    writeUint16(bytes + 2, value >> 16);
}

} // namespace dovla
