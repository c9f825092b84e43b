#include "driver/alloc_pool.h"

#include <cstdlib>
#include <limits>

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

AllocPool::Header* AllocPool::headerOf(void* block) {
    return static_cast<Header*>(block) - 1;
}

void* AllocPool::blockOf(Header* header) {
    return header + 1;
}

void AllocPool::link(Header* header) {
    header->next = &list_;
    header->prev = list_.prev;
    list_.prev->next = header;
    list_.prev = header;
    ++count_;
}

void AllocPool::unlink(Header* header) {
    header->prev->next = header->next;
    header->next->prev = header->prev;
}

void* AllocPool::allocate(std::size_t size) {
    if (size > maxPayload)
        return nullptr;
    auto* header = static_cast<Header*>(std::malloc(sizeof(Header) + size));
    if (header == nullptr)
        return nullptr;
    link(header);
    return blockOf(header);
}

void* AllocPool::allocateZeroed(std::size_t size) {
    if (size > maxPayload)
        return nullptr;
    auto* header = static_cast<Header*>(std::calloc(1, sizeof(Header) + size));
    if (header == nullptr)
        return nullptr;
    link(header);
    return blockOf(header);
}

void* AllocPool::reallocate(void* block, std::size_t size) {
    if (block == nullptr)
        return allocate(size);
    if (size > maxPayload)
        return nullptr;
    Header* old = headerOf(block);
    unlink(old);
    --count_;
    auto* header = static_cast<Header*>(std::realloc(old, sizeof(Header) + size));
    if (header == nullptr) {
        // The old block is still allocated; keep it listed so that it is
        // freed with the pool when the run ends.
        link(old);
        return nullptr;
    }
    link(header);
    return blockOf(header);
}

void AllocPool::release(void* block) {
    if (block == nullptr)
        return;
    Header* header = headerOf(block);
    unlink(header);
    --count_;
    std::free(header);
}

void AllocPool::releaseAll() {
    Header* header = list_.next;
    while (header != &list_) {
        Header* next = header->next;
        std::free(header);
        header = next;
    }
    list_.prev = list_.next = &list_;
    count_ = 0;
}

bool AllocPool::holds(const void* block) const {
    for (const Header* header = list_.next; header != &list_; header = header->next) {
        if (header + 1 == block)
            return true;
    }
    return false;
}

} // namespace dovla
