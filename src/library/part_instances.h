#pragma once

#include <cstdint>

namespace dovla {

class AllocPool;
struct LibPart;

// One part placed on a sheet; the one-byte values come from bytes of its
// record.
struct PartInstance {
    std::int32_t x, y; // the body corner of greatest x and y, absolute
    char ref[8];
    char name[16];
    char libName[16];
    LibPart* libPart;   // null when no loaded library part has libName
    std::uint8_t kind;  // 8, the kind of its pin objects
    std::uint8_t dir;   // bits 0-1 rotation, bit 2 mirror
    std::uint8_t block; // zero-based block of a multi-block part
    std::uint8_t sheet; // 0 before the first sheet header, else 1 to 32
};

// The placed parts of all sheets, in file order: one contiguous array in the
// pool, grown 50 entries at a time.
class PartInstanceTable {
  public:
    explicit PartInstanceTable(AllocPool& pool) : pool_(pool) {}
    PartInstanceTable(const PartInstanceTable&) = delete;
    PartInstanceTable& operator=(const PartInstanceTable&) = delete;

    void resetPartInstances();
    // The texts are copied whole; the caller keeps them within their fields.
    void addPartInstance(std::int32_t kind, std::int32_t x, std::int32_t y, const char* ref,
                         std::int32_t dir, std::int32_t block, const char* name,
                         const char* libName, std::int32_t sheet = 0);

    std::uint32_t count() const { return count_; }
    std::uint32_t capacity() const { return capacity_; }
    // How often the table was emptied: a reader that keeps what it learnt
    // from the entries tells a refilled table from a grown one by it.
    std::uint32_t resets() const { return resets_; }
    PartInstance& operator[](std::uint32_t index) { return entries_[index]; }
    const PartInstance& operator[](std::uint32_t index) const { return entries_[index]; }
    PartInstance* begin() { return entries_; }
    PartInstance* end() { return entries_ + count_; }
    const PartInstance* begin() const { return entries_; }
    const PartInstance* end() const { return entries_ + count_; }

  private:
    AllocPool& pool_;
    PartInstance* entries_ = nullptr;
    std::uint32_t count_ = 0;
    std::uint32_t capacity_ = 0;
    std::uint32_t resets_ = 0;
};

} // namespace dovla
