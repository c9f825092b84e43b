#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "driver/byte_order.h"
#include "library/lib_part.h"

namespace dovla {

class AllocPool;

// The library file's layout. Every offset and base is a byte position from
// the start of the file; integers are little-endian.
namespace libraryformat {

constexpr char magic[] = "LIB FOR KV";
constexpr std::size_t magicLength = 10;
constexpr std::size_t headerSize = 54;
// Fields of the header.
constexpr std::size_t partCountField = 16;       // uint16
constexpr std::size_t nameTableOffsetField = 18; // int32
constexpr std::size_t partTableOffsetField = 22; // int32
constexpr std::size_t partDataBaseField = 26;    // int32, base of the part offsets
constexpr std::size_t stringBaseField = 38;      // int32, base of every name position
// Entries of the name offset table (int32) and the part offset table (uint16).
constexpr std::size_t nameOffsetSize = 4;
constexpr std::size_t partOffsetSize = 2;
// The part record: width, height, block count, seven bytes kept unread,
// the pin word; then its pin entries.
constexpr std::size_t partRecordSize = 12;
constexpr std::size_t recordUnused = 3;
constexpr std::size_t recordUnusedSize = 7;
constexpr std::size_t recordPinWord = 10;
// A pin entry: position word, name position, then one number word per block.
constexpr std::size_t pinEntryHeadSize = 4;
constexpr std::uint16_t noPinName = 0xFFFF;
constexpr int partNameWidth = 15;
constexpr int pinNameWidth = 31;

} // namespace libraryformat

// One library file open for reading: its header, its two offset tables and
// the names of all its parts, then the record and pins of any part on
// demand. Every failure ends through fatal with the library reader's
// message. The tables are taken from the pool given to readTables and given
// back with releaseTables.
struct LibraryFile {
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::unique_ptr<std::FILE, FileCloser> stream;
    unsigned char header[libraryformat::headerSize] = {};
    std::uint16_t partCount = 0;
    std::int32_t nameTableOffset = 0;
    std::int32_t partTableOffset = 0;
    std::int32_t partDataBase = 0;
    std::int32_t stringBase = 0;
    std::int32_t* nameOffsets = nullptr;
    std::uint16_t* partOffsets = nullptr;
    char (*names)[16] = nullptr;

    std::FILE* file() const { return stream.get(); }

    // "can't open: %s" when the file cannot be opened.
    void open(const char* path);
    // The header, checked for the magic.
    void readHeader();
    // The name offsets, the part offsets and the part names, in this order.
    void readTables(AllocPool& pool);
    void releaseTables(AllocPool& pool);
    // Part index's twelve record bytes; the file then stands at its first
    // pin entry.
    void readPartRecord(std::uint32_t index, unsigned char* record) const;
    // The pin entry at the current position, with its name; the file then
    // stands behind the entry. The name position goes to namePosition when
    // it is given.
    void readPin(AllocPool& pool, LibPin& pin, std::uint8_t blockCount,
                 std::uint16_t* namePosition = nullptr) const;

    void seekTo(std::int64_t position) const;
    void read(void* into, std::size_t size) const;
    // A name token: leading white space skipped, then at most `width` bytes
    // up to the next white space or the end of the file.
    void readToken(char* into, int width) const;
};

} // namespace dovla
