#include <climits>
#include <cstring>
#include <memory>

#include "driver/alloc_pool.h"
#include "driver/messages.h"
#include "library/part_library.h"

namespace dovla {

namespace {

constexpr char libraryMagic[] = "LIB FOR KV";
constexpr std::size_t headerSize = 54;
constexpr std::size_t partRecordSize = 12;
constexpr int partNameWidth = 15;
constexpr std::uint16_t noPinName = 0xFFFF;

std::uint16_t le16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::int32_t le32(const unsigned char* bytes) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

bool isTokenSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

[[noreturn]] void readError() {
    fatal("file read error!\n");
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

struct PartLibrary::LibraryFile {
    std::unique_ptr<std::FILE, FileCloser> stream;
    std::uint16_t partCount = 0;
    std::int32_t nameTableOffset = 0;
    std::int32_t partTableOffset = 0;
    std::int32_t partDataBase = 0;
    std::int32_t stringBase = 0;
    std::int32_t* nameOffsets = nullptr;
    std::uint16_t* partOffsets = nullptr;
    char (*names)[16] = nullptr;

    std::FILE* file() const { return stream.get(); }

    void seekTo(std::int64_t position) const {
        if (position < 0 || position > LONG_MAX ||
            std::fseek(file(), static_cast<long>(position), SEEK_SET) != 0)
            readError();
    }

    void read(void* into, std::size_t size) const {
        if (size != 0 && std::fread(into, 1, size, file()) != size)
            readError();
    }

    // A name token: leading white space skipped, then at most `width` bytes
    // up to the next white space or the end of the file.
    void readToken(char* into, int width) const {
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
};

void PartLibrary::readLibrary(const char* path) {
    LibraryFile lib;
    lib.stream.reset(std::fopen(path, "rb"));
    if (!lib.stream)
        fatal("can't open: %s\n", path);
    unsigned char header[headerSize];
    lib.read(header, headerSize);
    if (std::memcmp(header, libraryMagic, 10) != 0)
        fatal("don't part file!\n");
    lib.partCount = le16(header + 16);
    lib.nameTableOffset = le32(header + 18);
    lib.partTableOffset = le32(header + 22);
    lib.partDataBase = le32(header + 26);
    lib.stringBase = le32(header + 38);
    std::size_t count = lib.partCount;

    lib.nameOffsets = static_cast<std::int32_t*>(pool_.allocate(count * 4));
    if (lib.nameOffsets == nullptr)
        fatal("can't alloc memory!\n");
    lib.seekTo(lib.nameTableOffset);
    {
        auto* raw = reinterpret_cast<unsigned char*>(lib.nameOffsets);
        lib.read(raw, count * 4);
        for (std::size_t i = count; i-- > 0;)
            lib.nameOffsets[i] = le32(raw + 4 * i);
    }

    lib.partOffsets = static_cast<std::uint16_t*>(pool_.allocate(count * 2));
    if (lib.partOffsets == nullptr)
        fatal("can't alloc memory!\n");
    lib.seekTo(lib.partTableOffset);
    {
        auto* raw = reinterpret_cast<unsigned char*>(lib.partOffsets);
        lib.read(raw, count * 2);
        for (std::size_t i = count; i-- > 0;)
            lib.partOffsets[i] = le16(raw + 2 * i);
    }

    lib.names = static_cast<char(*)[16]>(pool_.allocate(count * 16));
    if (lib.names == nullptr)
        fatal("can't alloc memory!\n");
    for (std::size_t i = 0; i < count; ++i) {
        lib.seekTo(static_cast<std::int64_t>(lib.stringBase) + lib.nameOffsets[i]);
        lib.readToken(lib.names[i], partNameWidth);
        lib.names[i][15] = '\0';
    }

    for (std::uint32_t i = 0; i < count; ++i) {
        if (isPartUsed(lib.names[i]))
            readLibPart(lib, lib.names[i], i);
    }

    pool_.release(lib.nameOffsets);
    pool_.release(lib.partOffsets);
    pool_.release(lib.names);
}

bool PartLibrary::isPartUsed(const char* name) {
    if (usedNamesCounted_ > instances_.count()) {
        usedNames_.clear();
        usedNamesCounted_ = 0;
    }
    for (; usedNamesCounted_ < instances_.count(); ++usedNamesCounted_)
        usedNames_.emplace(instances_[usedNamesCounted_].libName);
    return usedNames_.count(name) != 0;
}

LibPart& PartLibrary::appendLibPart() {
    if (libPartCount_ >= libPartCapacity_) {
        std::uint32_t capacity = libPartCapacity_ + 50;
        void* grown = pool_.reallocate(libParts_, capacity * sizeof(LibPart));
        if (grown == nullptr)
            fatal("can't alloc memory!\n");
        libParts_ = static_cast<LibPart*>(grown);
        libPartCapacity_ = capacity;
    }
    LibPart& part = libParts_[libPartCount_];
    std::memset(&part, 0, sizeof part);
    return part;
}

void PartLibrary::readLibPart(LibraryFile& file, const char* name, std::uint32_t index) {
    LibPart& part = appendLibPart();
    std::memcpy(part.name, name, sizeof part.name);
    file.seekTo(static_cast<std::int64_t>(file.partDataBase) + file.partOffsets[index]);
    unsigned char record[partRecordSize];
    file.read(record, partRecordSize);
    part.width = record[0];
    part.height = record[1];
    part.blockCount = record[2];
    std::memcpy(part.unused, record + 3, sizeof part.unused);
    part.pinWord = le16(record + 10);
    part.pins = static_cast<LibPin*>(pool_.allocate(part.pinCount() * sizeof(LibPin)));
    if (part.pins == nullptr)
        fatal("can't alloc memory!\n");
    for (std::uint32_t i = 0; i < part.pinCount(); ++i)
        readLibPin(file, part.pins[i], part.blockCount);
    firstPartByName_.try_emplace(part.name, libPartCount_);
    ++libPartCount_;
}

void PartLibrary::readLibPin(LibraryFile& file, LibPin& pin, std::uint8_t blockCount) {
    unsigned char entry[4];
    file.read(entry, 4);
    pin.position = le16(entry);
    std::uint16_t namePosition = le16(entry + 2);
    pin.numbers = static_cast<std::uint16_t*>(pool_.allocate(blockCount * sizeof(std::uint16_t)));
    if (pin.numbers == nullptr)
        fatal("can't alloc memory!\n");
    auto* raw = reinterpret_cast<unsigned char*>(pin.numbers);
    file.read(raw, blockCount * 2u);
    for (std::size_t i = blockCount; i-- > 0;)
        pin.numbers[i] = le16(raw + 2 * i);
    pin.name[0] = '\0';
    if (namePosition == noPinName)
        return;
    long back = std::ftell(file.file());
    if (back < 0)
        readError();
    file.seekTo(static_cast<std::int64_t>(file.stringBase) + namePosition);
    int length = std::fgetc(file.file());
    if (length == EOF)
        readError();
    // A name longer than the field holds is kept to its first 31 characters
    // rather than costing the whole library.
    int width = length < 31 ? length : 31;
    file.readToken(pin.name, width);
    pin.name[width] = '\0';
    file.seekTo(back);
}

} // namespace dovla
