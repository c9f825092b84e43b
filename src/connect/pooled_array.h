#pragma once

#include <cstdint>
#include <new>
#include <vector>

#include "driver/alloc_pool.h"
#include "driver/messages.h"

namespace dovla {

// A growing array whose elements never move: it grows by whole chunks that
// it takes from a pool, so pointers to its elements stay valid, and growing
// copies and clears nothing. Elements are default-initialized; their user
// sets their fields.
template <typename T, unsigned ChunkBits> class PooledArray {
  public:
    static constexpr std::uint32_t chunkSize = std::uint32_t{1} << ChunkBits;

    explicit PooledArray(AllocPool& pool) : pool_(pool) {}
    ~PooledArray() { clear(); }
    PooledArray(const PooledArray&) = delete;
    PooledArray& operator=(const PooledArray&) = delete;

    T& append() {
        if (size_ == chunks_.size() * chunkSize) {
            chunks_.reserve(chunks_.size() + 1);
            chunks_.push_back(
                static_cast<T*>(requireMemory(pool_.allocate(chunkSize * sizeof(T)))));
        }
        T* slot = &chunks_[size_ >> ChunkBits][size_ & (chunkSize - 1)];
        ++size_;
        return *new (slot) T;
    }

    T& operator[](std::uint32_t index) {
        return chunks_[index >> ChunkBits][index & (chunkSize - 1)];
    }
    const T& operator[](std::uint32_t index) const {
        return chunks_[index >> ChunkBits][index & (chunkSize - 1)];
    }
    std::uint32_t size() const { return size_; }

    void clear() {
        for (T* chunk : chunks_)
            pool_.release(chunk);
        chunks_.clear();
        size_ = 0;
    }

  private:
    AllocPool& pool_;
    std::vector<T*> chunks_;
    std::uint32_t size_ = 0;
};

} // namespace dovla
