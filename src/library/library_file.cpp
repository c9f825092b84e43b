#include "library/library_file.h"

#include <climits>
#include <cstring>

#include "driver/alloc_pool.h"
#include "driver/messages.h"
#include "driver/open_file.h"

namespace dovla {

using namespace libraryformat;

namespace {

bool isTokenSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

[[noreturn]] void readError() {
    fatal("file read error!\n");
}

} // namespace

void LibraryFile::seekTo(std::int64_t position) const {
    if (position < 0 || position > LONG_MAX ||
        std::fseek(file(), static_cast<long>(position), SEEK_SET) != 0)
        readError();
}

void LibraryFile::read(void* into, std::size_t size) const {
    if (size != 0 && std::fread(into, 1, size, file()) != size)
        readError();
}

void LibraryFile::readToken(char* into, int width) const {
    if (width <= 0)
        readError();
    int c;
    do {
        c = std::fgetc(file());
    } while (c != EOF && isTokenSpace(c));
    if (c == EOF)
        readError();
    int taken = 0;
    while (true) {
        into[taken++] = static_cast<char>(c);
        if (taken == width)
            break;
        c = std::fgetc(file());
        if (c == EOF || isTokenSpace(c))
            break;
    }
    into[taken] = '\0';
}

void LibraryFile::open(const char* path) {
    stream.reset(openFile(path, "rb"));
    if (!stream)
        fatal("can't open: %s\n", path);
}

void LibraryFile::readHeader() {
    read(header, headerSize);
    if (std::memcmp(header, magic, magicLength) != 0)
        fatal("don't part file!\n");
    partCount = readUint16(header + partCountField);
    nameTableOffset = readInt32(header + nameTableOffsetField);
    partTableOffset = readInt32(header + partTableOffsetField);
    partDataBase = readInt32(header + partDataBaseField);
    stringBase = readInt32(header + stringBaseField);
}

void LibraryFile::readTables(AllocPool& pool) {
    std::size_t count = partCount;

    nameOffsets = static_cast<std::int32_t*>(requireMemory(pool.allocate(count * nameOffsetSize)));
    seekTo(nameTableOffset);
    {
        auto* raw = reinterpret_cast<unsigned char*>(nameOffsets);
        read(raw, count * nameOffsetSize);
        for (std::size_t i = count; i-- > 0;)
            nameOffsets[i] = readInt32(raw + nameOffsetSize * i);
    }

    partOffsets = static_cast<std::uint16_t*>(requireMemory(pool.allocate(count * partOffsetSize)));
    seekTo(partTableOffset);
    {
        auto* raw = reinterpret_cast<unsigned char*>(partOffsets);
        read(raw, count * partOffsetSize);
        for (std::size_t i = count; i-- > 0;)
            partOffsets[i] = readUint16(raw + partOffsetSize * i);
    }

    names = static_cast<char(*)[16]>(requireMemory(pool.allocate(count * 16)));
    for (std::size_t i = 0; i < count; ++i) {
        seekTo(static_cast<std::int64_t>(stringBase) + nameOffsets[i]);
        readToken(names[i], partNameWidth);
        names[i][15] = '\0';
    }
}

void LibraryFile::releaseTables(AllocPool& pool) {
    pool.release(nameOffsets);
    pool.release(partOffsets);
    pool.release(names);
    nameOffsets = nullptr;
    partOffsets = nullptr;
    names = nullptr;
}

void LibraryFile::readPartRecord(std::uint32_t index, unsigned char* record) const {
    seekTo(static_cast<std::int64_t>(partDataBase) + partOffsets[index]);
    read(record, partRecordSize);
}

void LibraryFile::readPin(AllocPool& pool, LibPin& pin, std::uint8_t blockCount,
                          std::uint16_t* namePositionOut) const {
    unsigned char entry[pinEntryHeadSize];
    read(entry, pinEntryHeadSize);
    pin.position = readUint16(entry);
    std::uint16_t namePosition = readUint16(entry + 2);
    if (namePositionOut != nullptr)
        *namePositionOut = namePosition;
    pin.numbers = static_cast<std::uint16_t*>(
        requireMemory(pool.allocate(blockCount * sizeof(std::uint16_t))));
    auto* raw = reinterpret_cast<unsigned char*>(pin.numbers);
    read(raw, blockCount * 2u);
    for (std::size_t i = blockCount; i-- > 0;)
        pin.numbers[i] = readUint16(raw + 2 * i);
    pin.name[0] = '\0';
    if (namePosition == noPinName)
        return;
    long back = std::ftell(file());
    if (back < 0)
        readError();
    seekTo(static_cast<std::int64_t>(stringBase) + namePosition);
    int length = std::fgetc(file());
    if (length == EOF)
        readError();
    // A name longer than the field holds is kept to its first 31 characters
    // rather than costing the whole library.
    int width = length < pinNameWidth ? length : pinNameWidth;
    readToken(pin.name, width);
    pin.name[width] = '\0';
    seekTo(back);
}

} // namespace dovla
