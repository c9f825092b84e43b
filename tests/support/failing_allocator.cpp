// An allocator to put in front of the program with LD_PRELOAD. From the
// start of the program's own code on (its static initializers, then
// main), it counts the calls that ask the heap for memory and
// makes one of them fail, the one whose number DOVLA32_FAIL_ALLOCATION
// gives (none when it is unset or 0). It also keeps the blocks handed out
// from main on, and once the process has torn down its own objects it writes
// to the file that DOVLA32_ALLOCATION_REPORT names one line:
//
//     calls=<calls counted> failed=<0 or 1> live=<blocks never given back>
//
// The blocks are found in the C library's own allocator; only the books
// are kept here, in a fixed table, so that keeping them takes no memory,
// under a lock, so that threads keep them one at a time.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

// A lock that takes no memory: the books are kept for one thread at a time.
std::atomic_flag booksInUse = ATOMIC_FLAG_INIT;

class Books {
  public:
    Books() {
        while (booksInUse.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~Books() { booksInUse.clear(std::memory_order_release); }
    Books(const Books&) = delete;
    Books& operator=(const Books&) = delete;
};

bool counting = false;
// Blocks are kept from main on: a static object may outlive the report
// when the C library could not register its destructor for want of memory.
bool keeping = false;
unsigned long calls = 0;
unsigned long failAt = 0;
bool failed = false;

// Open addressing with linear probing; deletion shifts the entries behind
// back, so a search ends at the first empty slot.
constexpr std::size_t tableSize = std::size_t{1} << 20;
void* table[tableSize];
long live = 0;
bool overflowed = false;

std::size_t slotOf(const void* block) {
    auto key = reinterpret_cast<std::uintptr_t>(block);
    return static_cast<std::size_t>((key >> 4) * 0x9E3779B97F4A7C15u) & (tableSize - 1);
}

void remember(void* block) {
    if (!keeping || block == nullptr)
        return;
    if (live >= static_cast<long>(tableSize / 2)) {
        overflowed = true;
        return;
    }
    std::size_t slot = slotOf(block);
    while (table[slot] != nullptr)
        slot = (slot + 1) & (tableSize - 1);
    table[slot] = block;
    ++live;
}

void forget(void* block) {
    if (block == nullptr)
        return;
    std::size_t slot = slotOf(block);
    while (table[slot] != nullptr && table[slot] != block)
        slot = (slot + 1) & (tableSize - 1);
    if (table[slot] == nullptr)
        return; // taken before main, or not counted
    table[slot] = nullptr;
    --live;
    for (std::size_t next = (slot + 1) & (tableSize - 1); table[next] != nullptr;
         next = (next + 1) & (tableSize - 1)) {
        std::size_t home = slotOf(table[next]);
        // Move the entry into the hole unless its home lies cyclically in
        // (slot, next].
        bool stays = slot <= next ? (home > slot && home <= next) : (home > slot || home <= next);
        if (!stays) {
            table[slot] = table[next];
            table[next] = nullptr;
            slot = next;
        }
    }
}

bool failsNow() {
    if (!counting)
        return false;
    ++calls;
    if (calls != failAt)
        return false;
    failed = true;
    errno = ENOMEM;
    return true;
}

void writeReport() {
    counting = false;
    keeping = false;
    const char* path = std::getenv("DOVLA32_ALLOCATION_REPORT");
    if (path == nullptr)
        return;
    char line[128];
    int length = std::snprintf(line, sizeof line, "calls=%lu failed=%d live=%ld%s\n", calls,
                               failed ? 1 : 0, live, overflowed ? " overflowed" : "");
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    ssize_t written = ::write(fd, line, static_cast<std::size_t>(length));
    (void)written;
    ::close(fd);
}

using Main = int (*)(int, char**, char**);
Main programMain = nullptr;

int keepingMain(int argc, char** argv, char** environment) {
    keeping = true;
    return programMain(argc, argv, environment);
}

} // namespace

extern "C" {

void* malloc(std::size_t size) {
    if (Books books; failsNow())
        return nullptr;
    void* block = __libc_malloc(size);
    Books books;
    remember(block);
    return block;
}

void* calloc(std::size_t count, std::size_t size) {
    if (Books books; failsNow())
        return nullptr;
    void* block = __libc_calloc(count, size);
    Books books;
    remember(block);
    return block;
}

void* realloc(void* block, std::size_t size) {
    if (Books books; failsNow())
        return nullptr;
    // Forgotten first: another thread may be handed the same address as
    // soon as it is given back.
    {
        Books books;
        forget(block);
    }
    void* moved = __libc_realloc(block, size);
    Books books;
    if (moved == nullptr && size != 0)
        remember(block);
    remember(moved);
    return moved;
}

void free(void* block) {
    {
        Books books;
        forget(block);
    }
    __libc_free(block);
}

void* memalign(std::size_t alignment, std::size_t size) {
    if (Books books; failsNow())
        return nullptr;
    void* block = __libc_memalign(alignment, size);
    Books books;
    remember(block);
    return block;
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
    if (Books books; failsNow())
        return ENOMEM;
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr)
        return ENOMEM;
    Books books;
    remember(block);
    *result = block;
    return 0;
}

// Counting starts before the program's static initializers, which the C
// library runs from here; the report is written once the program's own
// objects are torn down, since their teardown was registered after this.
int __libc_start_main(Main main, int argc, char** argv, void (*init)(), void (*fini)(),
                      void (*rtldFini)(), void* stackEnd) {
    using Start = int (*)(Main, int, char**, void (*)(), void (*)(), void (*)(), void*);
    auto start = reinterpret_cast<Start>(dlsym(RTLD_NEXT, "__libc_start_main"));
    if (const char* value = std::getenv("DOVLA32_FAIL_ALLOCATION"))
        failAt = std::strtoul(value, nullptr, 10);
    programMain = main;
    std::atexit(writeReport);
    counting = true;
    return start(keepingMain, argc, argv, init, fini, rtldFini, stackEnd);
}

} // extern "C"
