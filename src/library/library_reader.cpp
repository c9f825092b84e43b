#include <algorithm>
#include <cstring>

#include "driver/alloc_pool.h"
#include "driver/messages.h"
#include "library/library_file.h"
#include "library/part_library.h"

namespace dovla {

using namespace libraryformat;

void PartLibrary::readLibrary(const char* path) {
    libraryStarts_.push_back(libPartCount_);
    LibraryFile lib;
    lib.open(path);
    lib.readHeader();
    lib.readTables(pool_);
    for (std::uint32_t i = 0; i < lib.partCount; ++i) {
        if (isPartUsed(lib.names[i]))
            readLibPart(lib, lib.names[i], i);
    }
    lib.releaseTables(pool_);
}

int PartLibrary::libraryOf(const LibPart& part) const {
    const auto index = static_cast<std::uint32_t>(&part - libParts_);
    auto after = std::upper_bound(libraryStarts_.begin(), libraryStarts_.end(), index);
    return static_cast<int>(after - libraryStarts_.begin()) - 1;
}

bool PartLibrary::isPartUsed(const char* name) {
    // Names of a table that has since been emptied are not the table's.
    if (usedNamesResets_ != instances_.resets()) {
        usedNames_.clear();
        usedNamesCounted_ = 0;
        usedNamesResets_ = instances_.resets();
    }
    for (; usedNamesCounted_ < instances_.count(); ++usedNamesCounted_) {
        // Most names repeat; only a new one takes a node of the set.
        const char* used = instances_[usedNamesCounted_].libName;
        if (usedNames_.find(used) == usedNames_.end())
            usedNames_.emplace(used);
    }
    return usedNames_.count(name) != 0;
}

LibPart& PartLibrary::appendLibPart() {
    if (libPartCount_ >= libPartCapacity_) {
        std::uint32_t capacity = libPartCapacity_ + 50;
        libParts_ = static_cast<LibPart*>(
            requireMemory(pool_.reallocate(libParts_, capacity * sizeof(LibPart))));
        libPartCapacity_ = capacity;
    }
    LibPart& part = libParts_[libPartCount_];
    std::memset(&part, 0, sizeof part);
    return part;
}

void PartLibrary::readLibPart(LibraryFile& file, const char* name, std::uint32_t index) {
    LibPart& part = appendLibPart();
    std::memcpy(part.name, name, sizeof part.name);
    unsigned char record[partRecordSize];
    file.readPartRecord(index, record);
    part.width = record[0];
    part.height = record[1];
    part.blockCount = record[2];
    std::memcpy(part.unused, record + recordUnused, sizeof part.unused);
    part.pinWord = readUint16(record + recordPinWord);
    part.pins =
        static_cast<LibPin*>(requireMemory(pool_.allocate(part.pinCount() * sizeof(LibPin))));
    for (std::uint32_t i = 0; i < part.pinCount(); ++i)
        file.readPin(pool_, part.pins[i], part.blockCount);
    firstPartByName_.try_emplace(part.name, libPartCount_);
    ++libPartCount_;
}

} // namespace dovla
