#include "driver/alloc_pool.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "driver/platform.h"

namespace dovla {

namespace {

constexpr std::size_t maxPayload = std::numeric_limits<std::size_t>::max() / 2;

} // namespace

AllocPool::AllocPool() {
    list_.prev = list_.next = &list_;
}

AllocPool::~AllocPool() {
    releaseAll();
}

AllocPool::Tag* AllocPool::tagOf(const void* block) {
    return const_cast<Tag*>(static_cast<const Tag*>(block) - 1);
}

AllocPool::Large* AllocPool::largeOf(Tag* tag) {
    return reinterpret_cast<Large*>(reinterpret_cast<char*>(tag) - offsetof(Large, tag));
}

void AllocPool::link(Large* large) {
    large->next = &list_;
    large->prev = list_.prev;
    list_.prev->next = large;
    list_.prev = large;
}

void AllocPool::unlink(Large* large) {
    large->prev->next = large->next;
    large->next->prev = large->prev;
}

void* AllocPool::allocateSmall(std::size_t size) {
    std::size_t rounded = size == 0 ? smallStep : (size + smallStep - 1) / smallStep * smallStep;
    Tag*& freeList = freeLists_[rounded / smallStep];
    Tag* tag = freeList;
    if (tag != nullptr) {
        freeList = tag->next;
    } else {
        std::size_t need = sizeof(Tag) + rounded;
        if (static_cast<std::size_t>(slabEnd_ - slabNext_) < need && !addSlab())
            return nullptr;
        tag = reinterpret_cast<Tag*>(slabNext_);
        slabNext_ += need;
        tag->size = static_cast<std::uint32_t>(rounded);
    }
    tag->live = 1;
    ++count_;
    return tag + 1;
}

bool AllocPool::addSlab() {
    slabs_.reserve(slabs_.size() + 1);
    bool big = slabs_.size() >= smallSlabCount;
    std::size_t size = big ? bigSlabSize : slabSize;
    auto* slab = static_cast<char*>(big ? platform::allocateSlab(size) : std::malloc(size));
    if (slab == nullptr)
        return false;
    slabs_.push_back({slab, size});
    slabNext_ = slab;
    slabEnd_ = slab + size;
    return true;
}

void* AllocPool::allocateLarge(std::size_t size, bool zeroed) {
    if (size > maxPayload)
        return nullptr;
    void* raw = zeroed ? std::calloc(1, sizeof(Large) + size) : std::malloc(sizeof(Large) + size);
    if (raw == nullptr)
        return nullptr;
    auto* large = static_cast<Large*>(raw);
    large->size = size;
    large->tag.size = largeBlock;
    large->tag.live = 1;
    link(large);
    ++count_;
    return &large->tag + 1;
}

void* AllocPool::allocate(std::size_t size) {
    return size <= smallLimit ? allocateSmall(size) : allocateLarge(size, false);
}

void* AllocPool::allocateZeroed(std::size_t size) {
    if (size > smallLimit)
        return allocateLarge(size, true);
    void* block = allocateSmall(size);
    if (block != nullptr)
        std::memset(block, 0, size);
    return block;
}

void* AllocPool::reallocate(void* block, std::size_t size) {
    if (block == nullptr)
        return allocate(size);
    if (size > maxPayload)
        return nullptr;
    Tag* tag = tagOf(block);
    if (tag->size != largeBlock || size <= smallLimit) {
        // Between the slabs and the heap the block moves: copy it over.
        std::size_t oldSize = tag->size != largeBlock ? tag->size : largeOf(tag)->size;
        void* moved = allocate(size);
        if (moved == nullptr)
            return nullptr;
        std::memcpy(moved, block, oldSize < size ? oldSize : size);
        release(block);
        return moved;
    }
    Large* old = largeOf(tag);
    unlink(old);
    auto* large = static_cast<Large*>(std::realloc(old, sizeof(Large) + size));
    if (large == nullptr) {
        // The old block is still allocated; keep it listed so that it is
        // freed with the pool when the run ends.
        link(old);
        return nullptr;
    }
    large->size = size;
    link(large);
    return &large->tag + 1;
}

void AllocPool::release(void* block) {
    if (block == nullptr)
        return;
    Tag* tag = tagOf(block);
    tag->live = 0;
    --count_;
    if (tag->size != largeBlock) {
        Tag*& freeList = freeLists_[tag->size / smallStep];
        tag->next = freeList;
        freeList = tag;
        return;
    }
    Large* large = largeOf(tag);
    unlink(large);
    std::free(large);
}

void AllocPool::releaseAll() {
    Large* large = list_.next;
    while (large != &list_) {
        Large* next = large->next;
        std::free(large);
        large = next;
    }
    list_.prev = list_.next = &list_;
    for (const Slab& slab : slabs_) {
        if (slab.size == slabSize)
            std::free(slab.start);
        else
            platform::releaseSlab(slab.start);
    }
    slabs_.clear();
    slabNext_ = slabEnd_ = nullptr;
    for (Tag*& freeList : freeLists_)
        freeList = nullptr;
    count_ = 0;
}

bool AllocPool::holds(const void* block) const {
    for (const Large* large = list_.next; large != &list_; large = large->next) {
        if (&large->tag + 1 == block)
            return large->tag.live != 0;
    }
    const char* at = static_cast<const char*>(block);
    for (const Slab& slab : slabs_) {
        if (at > slab.start && at < slab.start + slab.size)
            return tagOf(block)->live != 0;
    }
    return false;
}

} // namespace dovla
