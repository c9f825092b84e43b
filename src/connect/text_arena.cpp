#include "connect/text_arena.h"

#include <cstring>

#include "driver/alloc_pool.h"
#include "driver/messages.h"

namespace dovla {

std::uint32_t TextArena::store(const char* text) {
    std::size_t length = std::strlen(text);
    if (length == 0)
        return 0;
    if (length > maxLength)
        length = maxLength;
    if (static_cast<std::size_t>(end_ - next_) < length + 1) {
        // A number holds 65,536 chunks: four gigabytes of texts.
        if (chunks_.size() == std::size_t{1} << (32 - chunkBits))
            outOfMemory();
        chunks_.reserve(chunks_.size() + 1);
        next_ = static_cast<char*>(requireMemory(pool_.allocate(chunkSize)));
        end_ = next_ + chunkSize;
        chunks_.push_back(next_);
        // Number 0 is the empty text, so the first chunk's first byte
        // starts none.
        if (chunks_.size() == 1)
            *next_++ = '\0';
    }
    char* copy = next_;
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    next_ += length + 1;
    return static_cast<std::uint32_t>((chunks_.size() - 1) << chunkBits |
                                      static_cast<std::size_t>(copy - chunks_.back()));
}

void TextArena::clear() {
    for (char* chunk : chunks_)
        pool_.release(chunk);
    chunks_.clear();
    next_ = end_ = nullptr;
}

} // namespace dovla
