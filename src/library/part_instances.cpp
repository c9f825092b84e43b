#include "library/part_instances.h"

#include <cstring>

#include "driver/alloc_pool.h"
#include "driver/messages.h"

namespace dovla {

namespace {

template <std::size_t N> void copyField(char (&field)[N], const char* text) {
    std::strncpy(field, text, N - 1);
    field[N - 1] = '\0';
}

} // namespace

void PartInstanceTable::resetPartInstances() {
    pool_.release(entries_);
    entries_ = nullptr;
    count_ = 0;
    capacity_ = 0;
    ++resets_;
}

void PartInstanceTable::addPartInstance(std::int32_t kind, std::int32_t x, std::int32_t y,
                                        const char* ref, std::int32_t dir, std::int32_t block,
                                        const char* name, const char* libName, std::int32_t sheet) {
    if (count_ >= capacity_) {
        std::uint32_t capacity = capacity_ + 50;
        entries_ = static_cast<PartInstance*>(
            requireMemory(pool_.reallocate(entries_, capacity * sizeof(PartInstance))));
        capacity_ = capacity;
    }
    PartInstance& entry = entries_[count_];
    entry.kind = static_cast<std::uint8_t>(kind);
    entry.x = x;
    entry.y = y;
    copyField(entry.ref, ref);
    entry.dir = static_cast<std::uint8_t>(dir);
    entry.block = static_cast<std::uint8_t>(block);
    copyField(entry.name, name);
    copyField(entry.libName, libName);
    entry.libPart = nullptr;
    entry.sheet = static_cast<std::uint8_t>(sheet);
    ++count_;
}

} // namespace dovla
