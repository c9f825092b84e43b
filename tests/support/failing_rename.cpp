// A rename to put in front of a program with LD_PRELOAD: the call whose
// number DOVLA32_FAIL_RENAME gives (counted from 1) fails with EIO, as a
// move into place fails on a disk that went away; every other call is the
// C library's own.
#include <dlfcn.h>

#include <cerrno>
#include <cstdlib>

extern "C" int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static const Rename real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
    static const char* const failing = std::getenv("DOVLA32_FAIL_RENAME");
    static int calls = 0;
    if (failing != nullptr && ++calls == std::atoi(failing)) {
        errno = EIO;
        return -1;
    }
    return real(from, to);
}
