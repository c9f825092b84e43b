#include "connect/text_arena.h"

#include <cstring>

#include "driver/alloc_pool.h"
#include "driver/messages.h"

namespace dovla {

const char* TextArena::store(const char* text) {
    std::size_t length = std::strlen(text);
    if (length == 0)
        return "";
    if (length > maxLength)
        length = maxLength;
    if (static_cast<std::size_t>(end_ - next_) < length + 1) {
        chunks_.reserve(chunks_.size() + 1);
        next_ = static_cast<char*>(requireMemory(pool_.allocate(chunkSize)));
        end_ = next_ + chunkSize;
        chunks_.push_back(next_);
    }
    char* copy = next_;
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    next_ += length + 1;
    return copy;
}

void TextArena::clear() {
    for (char* chunk : chunks_)
        pool_.release(chunk);
    chunks_.clear();
    next_ = end_ = nullptr;
}

} // namespace dovla
