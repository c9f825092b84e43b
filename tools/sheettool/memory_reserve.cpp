#include "memory_reserve.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "sheettool.h"

namespace dovla::sheettool {

namespace {

// Enough for the JSON library to free a design of many thousands of nets.
constexpr std::size_t reserveSize = std::size_t{4} << 20;

void* reserve = nullptr;
const std::string* pendingOutput = nullptr;

void outOfMemory() {
    if (reserve != nullptr) {
        std::free(reserve);
        reserve = nullptr;
        return;
    }
    // Nothing here may take memory: there is none.
    std::fputs("sheettool: can't alloc memory!\n", stderr);
    if (pendingOutput != nullptr)
        std::remove(pendingOutput->c_str());
    std::_Exit(exitTrouble);
}

} // namespace

MemoryReserve::MemoryReserve() {
    reserve = std::malloc(reserveSize);
    std::set_new_handler(outOfMemory);
}

MemoryReserve::~MemoryReserve() {
    std::set_new_handler(nullptr);
    std::free(reserve);
    reserve = nullptr;
}

void setPendingOutput(const std::string* name) {
    pendingOutput = name;
}

} // namespace dovla::sheettool
