#include "memory_reserve.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "sheettool.h"

namespace dovla::sheettool {

namespace {

// Enough for the JSON library to free a design of many thousands of nets.
constexpr std::size_t reserveSize = std::size_t{4} << 20;

// Taken by whichever thread runs out first (the review page draws two
// revisions at once).
std::atomic<void*> reserve{nullptr};
// The last pending output registered; the list runs back through previous_.
PendingOutput* lastPending = nullptr;

} // namespace

// Takes no memory: there may be none.
void removePendingOutputs() {
    for (PendingOutput* output = lastPending; output != nullptr; output = output->previous_)
        std::remove(output->name_.c_str());
}

namespace {

void outOfMemory() {
    if (void* kept = reserve.exchange(nullptr)) {
        std::free(kept);
        return;
    }
    // Nothing here may take memory: there is none.
    std::fputs("sheettool: can't alloc memory!\n", stderr);
    removePendingOutputs();
    std::_Exit(exitTrouble);
}

void takeReserve() {
    if (reserve.load() == nullptr)
        reserve.store(std::malloc(reserveSize));
    std::set_new_handler(outOfMemory);
}

// The option parser's library defines objects that take memory before
// main begins (its ready-made validators, one set in every file that
// includes it). Ahead of every other initializer the reserve is taken, so
// that exhausted memory meets it there too, instead of an exception that
// nothing can catch yet.
struct EarlyReserve {
    EarlyReserve() { takeReserve(); }
};
__attribute__((init_priority(101))) const EarlyReserve earlyReserve;

} // namespace

MemoryReserve::MemoryReserve() {
    takeReserve();
}

MemoryReserve::~MemoryReserve() {
    std::set_new_handler(nullptr);
    std::free(reserve.exchange(nullptr));
}

PendingOutput::PendingOutput(const std::string& name) : name_(name), previous_(lastPending) {
    if (previous_ != nullptr)
        previous_->next_ = this;
    lastPending = this;
}

PendingOutput::~PendingOutput() {
    if (previous_ != nullptr)
        previous_->next_ = next_;
    if (next_ != nullptr)
        next_->previous_ = previous_;
    else
        lastPending = previous_;
}

} // namespace dovla::sheettool
