#pragma once

#include <cstddef>
#include <vector>

namespace dovla {

class AllocPool;

// The texts of the objects, each stored once, one after the other in
// chunks from the pool. Most objects carry no text; they all share one
// empty string.
class TextArena {
  public:
    static constexpr std::size_t maxLength = 79;

    explicit TextArena(AllocPool& pool) : pool_(pool) {}
    ~TextArena() { clear(); }
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    // A lasting copy of at most maxLength characters of the text.
    const char* store(const char* text);
    void clear();

  private:
    static constexpr std::size_t chunkSize = 1 << 16;

    AllocPool& pool_;
    std::vector<char*> chunks_;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

} // namespace dovla
