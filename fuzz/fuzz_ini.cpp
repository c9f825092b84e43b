// The private-profile reader on arbitrary text: a few sections, keys and
// buffer sizes straight from memory, then the same text as TAVEL.INI read
// through the file reader and the library list.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "driver/ini_profile.h"
#include "driver/library_list.h"
#include "harness.h"

using namespace dovla;

namespace {

// What every answer must be: at most size - 1 characters, a NUL right behind
// them, and nothing written past the buffer.
int lookUp(std::string_view text, const char* section, const char* key, const char* fallback,
           int size) {
    constexpr int guard = 8;
    char buffer[300 + guard];
    std::memset(buffer, 0x5A, sizeof buffer);
    int copied = readProfileString(text, section, key, fallback, buffer, size);
    if (copied < 0 || (size > 0 && copied > size - 1) || (size <= 0 && copied != 0))
        fuzz::broken("count out of range");
    if (size > 0 && buffer[copied] != '\0')
        fuzz::broken("no terminator");
    for (int i = size > 0 ? size : 0; i < static_cast<int>(sizeof buffer); ++i) {
        if (buffer[i] != 0x5A)
            fuzz::broken("written past the buffer");
    }
    return copied;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    static const char* const sections[] = {"Library", "library", "", "LIB"};
    static const char* const keys[] = {"LIB0", "lib15", "", "LIB1"};
    static const int sizes[] = {260, 1, 0, 16, 300};
    for (const char* section : sections) {
        for (const char* key : keys) {
            for (int room : sizes)
                lookUp(text, section, key, "", room);
        }
    }
    if (lookUp(text, "Library", "LIB0", "default", 260) == 0)
        fuzz::broken("the default was not copied");

    fuzz::writeFile("TAVEL.INI", data, size);
    char fromText[260];
    char fromFile[260];
    int a = readProfileString(text, "Library", "LIB0", "", fromText, sizeof fromText);
    int b = readProfileFile("TAVEL.INI", "Library", "LIB0", "", fromFile, sizeof fromFile);
    if (a != b || std::memcmp(fromText, fromFile, static_cast<std::size_t>(a) + 1) != 0)
        fuzz::broken("the file reader differs from the text reader");

    LibraryList list;
    list.readLibraryList();
    if (list.libraryCount() < 0 || list.libraryCount() > LibraryList::maxLibraries)
        fuzz::broken("library count out of range");
    for (int i = 0; i < list.libraryCount(); ++i) {
        if (std::memchr(list.libraryPath(i), '\0', LibraryList::pathSize) == nullptr)
            fuzz::broken("unterminated library path");
    }
    return 0;
}
