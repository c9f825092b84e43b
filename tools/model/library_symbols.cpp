#include "library_symbols.h"

#include <cstring>

#include "driver/alloc_pool.h"
#include "library/lib_part.h"
#include "library/library_file.h"

namespace dovla::model {

Symbol symbolOf(const LibPart& lib) {
    Symbol symbol;
    symbol.libName.assign(lib.name, strnlen(lib.name, sizeof lib.name));
    symbol.width = lib.width;
    symbol.height = lib.height;
    symbol.blockCount = lib.blockCount;
    for (std::uint32_t i = 0; i < lib.pinCount(); ++i) {
        const LibPin& libPin = lib.pins[i];
        SymbolPin pin;
        pin.side = static_cast<SymbolPin::Side>((libPin.position >> 8) & 3);
        pin.offset = libPin.position & 0xFF;
        pin.name.assign(libPin.name, strnlen(libPin.name, sizeof libPin.name));
        for (int block = 0; block < lib.blockCount; ++block) {
            std::uint16_t word = libPin.numbers[block];
            std::string number;
            if (int letter = (word >> 10) & 0x1F; letter != 0)
                number += static_cast<char>(letter + 0x40);
            pin.numbers.push_back(number + std::to_string(word & 0x1FF));
        }
        symbol.pins.push_back(std::move(pin));
    }
    return symbol;
}

std::vector<Symbol> loadLibrarySymbols(const std::string& path) {
    using namespace libraryformat;
    // Each part is read as the library reader reads a part it loads, into
    // a pool that goes with this call.
    AllocPool pool;
    LibraryFile file;
    file.open(path.c_str());
    file.readHeader();
    file.readTables(pool);
    std::vector<Symbol> symbols;
    for (std::uint32_t i = 0; i < file.partCount; ++i) {
        LibPart part{};
        std::memcpy(part.name, file.names[i], sizeof part.name);
        unsigned char record[partRecordSize];
        file.readPartRecord(i, record);
        part.width = record[0];
        part.height = record[1];
        part.blockCount = record[2];
        part.pinWord = readUint16(record + recordPinWord);
        std::vector<LibPin> pins(part.pinCount());
        for (LibPin& pin : pins)
            file.readPin(pool, pin, part.blockCount);
        part.pins = pins.data();
        symbols.push_back(symbolOf(part));
    }
    file.releaseTables(pool);
    return symbols;
}

} // namespace dovla::model
