#include "writers/library_writer.h"

#include <map>
#include <stdexcept>
#include <string>
#include <utility>

#include "driver/byte_order.h"
#include "writers/sheet_writer.h"

namespace dovla::writers {

namespace {

void push16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

} // namespace

LibraryWriter& LibraryWriter::add(const LibPartDescription& part) {
    parts_.push_back(part);
    return *this;
}

LibraryWriter& LibraryWriter::simple(const std::string& name, int pinCount) {
    LibPartDescription part;
    part.name = name;
    part.height = pinCount + 1;
    for (int i = 1; i <= pinCount; ++i)
        part.pins.push_back({pinAt(0, i), "", {pinNumber(i)}});
    return add(part);
}

// Layout: header, name offset table, part offset table, strings (pin names
// first, so their 16-bit positions reach them, then part names), part data.
std::vector<std::uint8_t> LibraryWriter::bytes() const {
    const std::size_t count = parts_.size();
    if (count > 0xFFFF)
        throw std::length_error("a library holds at most 65535 parts");
    std::vector<std::uint8_t> strings;
    // Pin names are shared by name and length byte.
    using PinNameKey = std::pair<std::string, int>;
    auto keyOf = [](const LibPinShape& pin) {
        return PinNameKey(pin.name,
                          pin.nameLength < 0 ? static_cast<int>(pin.name.size()) : pin.nameLength);
    };
    std::map<PinNameKey, std::uint32_t> pinNamePositions;
    strings.push_back(0); // position 0 holds nothing
    for (const LibPartDescription& part : parts_) {
        for (const LibPinShape& pin : part.pins) {
            PinNameKey key = keyOf(pin);
            if (pin.name.empty() || pinNamePositions.count(key))
                continue;
            pinNamePositions[key] = static_cast<std::uint32_t>(strings.size());
            strings.push_back(static_cast<std::uint8_t>(key.second));
            strings.insert(strings.end(), pin.name.begin(), pin.name.end());
        }
    }
    if (strings.size() > 0xFFFF)
        throw std::length_error("pin names exceed 64 KiB");
    std::vector<std::uint32_t> nameOffsets;
    for (const LibPartDescription& part : parts_) {
        nameOffsets.push_back(static_cast<std::uint32_t>(strings.size()));
        strings.insert(strings.end(), part.name.begin(), part.name.end());
        strings.push_back(0);
    }
    std::vector<std::uint8_t> data;
    // Records by their bytes, so that equal records are stored once.
    std::map<std::string, std::uint32_t> shared;
    std::vector<std::uint32_t> partOffsets;
    for (const LibPartDescription& part : parts_) {
        std::vector<std::uint8_t> record = {static_cast<std::uint8_t>(part.width),
                                            static_cast<std::uint8_t>(part.height),
                                            static_cast<std::uint8_t>(part.blockCount)};
        record.resize(10, 0);
        push16(record, (part.pins.size() & 0xFFF) | (part.pinWordHighBits & 0xF) << 12);
        for (const LibPinShape& pin : part.pins) {
            push16(record, pin.position);
            push16(record, pin.name.empty() ? 0xFFFF : pinNamePositions.at(keyOf(pin)));
            for (int block = 0; block < part.blockCount; ++block)
                push16(record,
                       block < static_cast<int>(pin.numbers.size()) ? pin.numbers[block] : 0);
        }
        auto [found, inserted] = shared.try_emplace(std::string(record.begin(), record.end()),
                                                    static_cast<std::uint32_t>(data.size()));
        if (inserted)
            data.insert(data.end(), record.begin(), record.end());
        if (found->second > 0xFFFF)
            throw std::length_error("part records exceed 64 KiB");
        partOffsets.push_back(
            part.recordOffset < 0 ? found->second : static_cast<std::uint32_t>(part.recordOffset));
    }
    const std::size_t nameTable = 54;
    const std::size_t partTable = nameTable + 4 * count;
    const std::size_t stringBase = partTable + 2 * count;
    const std::size_t partData = stringBase + strings.size();
    std::vector<std::uint8_t> out(54, 0);
    const std::string magic = "LIB FOR KV";
    for (std::size_t i = 0; i < magic.size(); ++i)
        out[i] = static_cast<std::uint8_t>(magic[i]);
    writeUint16(out.data() + 16, static_cast<std::uint32_t>(count));
    writeUint32(out.data() + 18, static_cast<std::uint32_t>(nameTable));
    writeUint32(out.data() + 22, static_cast<std::uint32_t>(partTable));
    writeUint32(out.data() + 26, static_cast<std::uint32_t>(partData));
    writeUint32(out.data() + 38, static_cast<std::uint32_t>(stringBase));
    for (std::uint32_t offset : nameOffsets) {
        push16(out, offset & 0xFFFF);
        push16(out, offset >> 16);
    }
    for (std::uint32_t offset : partOffsets)
        push16(out, offset);
    out.insert(out.end(), strings.begin(), strings.end());
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

void LibraryWriter::save(const std::string& path) const {
    saveBytes(path, bytes());
}

} // namespace dovla::writers
