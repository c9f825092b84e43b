#include "driver/platform.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "driver/ini_profile.h"

namespace dovla::platform {

std::string configPathInCurrentDirectory() {
    char directory[4096];
    if (::getcwd(directory, sizeof directory) == nullptr)
        return "TAVEL.INI";
    return std::string(directory) + "/TAVEL.INI";
}

std::string configPathBesideProgram() {
    char path[4096];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "TAVEL.INI";
    std::string program(path, static_cast<std::size_t>(length));
    return program.substr(0, program.rfind('/') + 1) + "TAVEL.INI";
}

int getProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                     int size, const char* path) {
    return readProfileFile(path, section, key, defaultValue, buffer, size);
}

bool isProfileCutShort(const char* path) {
    return isProfileFileCutShort(path);
}

// Opened without waiting, a FIFO reads as ended when nobody writes to it,
// and as "not yet" (EAGAIN) when a writer has written nothing so far. The
// one byte read to tell them apart is handed back to the stream.
std::FILE* openForReading(const char* name, const char* mode) {
    int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat status;
    int first = EOF;
    if (::fstat(fd, &status) == 0 && S_ISFIFO(status.st_mode)) {
        unsigned char byte;
        ssize_t got = ::read(fd, &byte, 1);
        if (got == 0 || (got < 0 && errno != EAGAIN)) {
            ::close(fd);
            errno = ENXIO;
            return nullptr;
        }
        if (got == 1)
            first = byte;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        int error = errno;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr) {
        int error = errno;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    if (first != EOF)
        std::ungetc(first, file);
    return file;
}

void* allocateSlab(std::size_t size) {
    void* slab = nullptr;
    if (posix_memalign(&slab, size, size) != 0)
        return nullptr;
#ifdef MADV_HUGEPAGE
    // Only advice: without large pages the slab works the same.
    madvise(slab, size, MADV_HUGEPAGE);
#endif
    return slab;
}

void releaseSlab(void* slab) {
    std::free(slab);
}

bool isSameRegularFile(const char* first, const char* second) {
    struct stat a;
    struct stat b;
    if (::stat(first, &a) != 0 || ::stat(second, &b) != 0)
        return false;
    return S_ISREG(a.st_mode) && S_ISREG(b.st_mode) && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A closed descriptor gets /dev/null, opened for reading only: the lowest
// free number is the one taken, and output sent there still fails as it
// did on the closed descriptor, so a report written to a closed standard
// output is still reported as not written.
void openStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        int opened = ::open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != fd)
            ::close(opened);
    }
}

void setBinaryMode(std::FILE*) {}

} // namespace dovla::platform
