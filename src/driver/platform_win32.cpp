#include "driver/platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace dovla::platform {

namespace {

constexpr char configName[] = "TAVEL.INI";

} // namespace

// An absolute path, so the profile reader takes it as given and does not
// look in the Windows directory instead.
std::string configPathInCurrentDirectory() {
    char path[MAX_PATH + sizeof configName];
    DWORD length = ::GetCurrentDirectoryA(MAX_PATH, path);
    // A directory too long for the buffer gives no path here; the lookup then
    // goes on beside the program.
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    // The root of a drive already ends in a backslash.
    if (path[length - 1] != '\\')
        ::lstrcatA(path, "\\");
    ::lstrcatA(path, configName);
    return path;
}

// The program's own drive and directory, with the base name and extension
// of the configuration file.
std::string configPathBesideProgram() {
    char program[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    // Every part is shorter than the whole path, so these sizes cannot be
    // overrun.
    char drive[MAX_PATH];
    char directory[MAX_PATH];
    _splitpath(program, drive, directory, nullptr, nullptr);
    char path[2 * MAX_PATH];
    _makepath(path, drive, directory, "TAVEL", ".INI");
    return path;
}

int getProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                     int size, const char* path) {
    // An empty name would send the profile reader to the Windows directory;
    // there is no configuration file then.
    if (path == nullptr || *path == '\0') {
        if (size <= 0)
            return 0;
        std::size_t copied = std::strlen(defaultValue);
        if (copied > static_cast<std::size_t>(size - 1))
            copied = static_cast<std::size_t>(size - 1);
        std::memcpy(buffer, defaultValue, copied);
        buffer[copied] = '\0';
        return static_cast<int>(copied);
    }
    return static_cast<int>(::GetPrivateProfileStringA(section, key, defaultValue, buffer,
                                                       static_cast<DWORD>(size), path));
}

namespace {

// The identity of a regular file (not a device such as NUL, nor a
// directory).
bool fileIdentity(const char* name, BY_HANDLE_FILE_INFORMATION& info) {
    // Only the attributes are read; the sharing flags let a file that is open
    // elsewhere be compared too.
    HANDLE file = ::CreateFileA(name, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool known = ::GetFileType(file) == FILE_TYPE_DISK &&
                 ::GetFileInformationByHandle(file, &info) != 0 &&
                 (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    ::CloseHandle(file);
    return known;
}

} // namespace

// Large pages on Windows need a privilege that users seldom hold; the heap
// serves the slabs as it serves every other block.
// The system's profile service reads a file whole, however long.
bool isProfileCutShort(const char*) {
    return false;
}

// Windows has no FIFOs in the file system: a plain open never waits.
std::FILE* openForReading(const char* name, const char* mode) {
    return std::fopen(name, mode);
}

void* allocateSlab(std::size_t size) {
    return std::malloc(size);
}

void releaseSlab(void* slab) {
    std::free(slab);
}

bool isSameRegularFile(const char* first, const char* second) {
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    if (!fileIdentity(first, a) || !fileIdentity(second, b))
        return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// A Windows process started without a console or with closed handles gets
// fresh descriptors for the files it opens; they never take the numbers of
// the standard streams.
void openStandardStreams() {}

void setBinaryMode(std::FILE* stream) {
    _setmode(_fileno(stream), _O_BINARY);
}

} // namespace dovla::platform
