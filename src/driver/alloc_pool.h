#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dovla {

// A pool of heap blocks that keeps track of every block it has handed out
// and not yet been given back, and frees what is left when it is torn down.
//
// Small blocks (the objects, ring nodes and heads the connectivity store
// takes by the hundred thousand) are cut from large slabs and given back to
// a free list of their size, so neither taking nor giving one back costs a
// trip to the heap, and tearing down costs one free per slab. The first
// slabs are small, so a small design stays small; once those are full the
// slabs are big ones from the platform, on large pages where it has them.
// Large blocks
// come from the heap and carry their list links in a header in front of
// them, so giving one back costs the same however many blocks the pool holds.
class AllocPool {
  public:
    AllocPool();
    ~AllocPool();
    AllocPool(const AllocPool&) = delete;
    AllocPool& operator=(const AllocPool&) = delete;

    // A new block, or nullptr when the heap has no room. Size 0 is valid.
    void* allocate(std::size_t size);
    // Like allocate, with every byte zero. Large zeroed blocks come straight
    // from the system as untouched pages, so memory never written costs
    // neither time nor resident memory.
    void* allocateZeroed(std::size_t size);
    // Resizes a block of this pool (or allocates, given nullptr), keeping its
    // contents. On failure the old block stays allocated and listed.
    void* reallocate(void* block, std::size_t size);
    void release(void* block);
    void releaseAll();

    std::size_t blockCount() const { return count_; }
    // Whether the block is one this pool has handed out and not taken back.
    bool holds(const void* block) const;

  private:
    // Every block is preceded by its tag; `size` tells small blocks (their
    // rounded size, at most smallLimit) from large ones (largeBlock). Small
    // blocks are aligned for pointers and 64-bit integers, which is all that
    // the pooled data holds; large blocks for any type.
    struct Tag {
        Tag* next; // small blocks, while free: the free list
        std::uint32_t size;
        std::uint32_t live;
    };
    struct alignas(std::max_align_t) Large {
        Large* prev;
        Large* next;
        std::size_t size;
        std::size_t padding; // keeps the tag right in front of the block
        Tag tag;
    };
    static_assert(sizeof(Large) % alignof(std::max_align_t) == 0 &&
                  offsetof(Large, tag) + sizeof(Tag) == sizeof(Large));
    static constexpr std::uint32_t largeBlock = 0xFFFFFFFFu;
    static constexpr std::size_t smallLimit = 256;
    static constexpr std::size_t smallStep = 8;
    static constexpr std::size_t slabSize = 1 << 16;
    static constexpr std::size_t bigSlabSize = 1 << 21;
    static constexpr std::size_t smallSlabCount = 32;
    struct Slab {
        char* start;
        std::size_t size;
    };

    void* allocateSmall(std::size_t size);
    void* allocateLarge(std::size_t size, bool zeroed);
    void link(Large* large);
    static void unlink(Large* large);
    static Tag* tagOf(const void* block);
    static Large* largeOf(Tag* tag);

    Large list_;
    std::size_t count_ = 0;
    bool addSlab();

    std::vector<Slab> slabs_;
    char* slabNext_ = nullptr;
    char* slabEnd_ = nullptr;
    Tag* freeLists_[smallLimit / smallStep + 1] = {};
};

} // namespace dovla
