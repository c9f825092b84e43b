#pragma once

#include <cstddef>

namespace dovla {

// A pool of plain heap blocks that lists every block it has handed out and
// not yet been given back, oldest first, and frees what is left when it is
// torn down. Blocks carry their list links in a small header in front of
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
    // Whether the block is listed; walks the list, for tests.
    bool holds(const void* block) const;

  private:
    struct alignas(std::max_align_t) Header {
        Header* prev;
        Header* next;
    };
    void link(Header* header);
    static void unlink(Header* header);
    static Header* headerOf(void* block);
    static void* blockOf(Header* header);

    Header list_;
    std::size_t count_ = 0;
};

} // namespace dovla
