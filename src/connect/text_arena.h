#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dovla {

class AllocPool;

// The texts of the objects, each stored once, one after the other in
// chunks from the pool, and named by a number: the chunk and the place in
// it. Most objects carry no text; they all share the empty text, number 0.
class TextArena {
  public:
    static constexpr std::size_t maxLength = 79;

    explicit TextArena(AllocPool& pool) : pool_(pool) {}
    ~TextArena() { clear(); }
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    // A lasting copy of at most maxLength characters of the text.
    std::uint32_t store(const char* text);
    const char* at(std::uint32_t id) const {
        return id == 0 ? "" : chunks_[id >> chunkBits] + (id & (chunkSize - 1));
    }
    void clear();

  private:
    static constexpr int chunkBits = 16;
    static constexpr std::size_t chunkSize = std::size_t{1} << chunkBits;

    AllocPool& pool_;
    std::vector<char*> chunks_;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

} // namespace dovla
