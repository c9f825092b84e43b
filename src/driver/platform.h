#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// The services of the operating system that the program uses, one file per
// system; the build picks the file.
namespace dovla::platform {

// The configuration file's path in the current directory.
std::string configPathInCurrentDirectory();
// The configuration file's path beside the program's own executable.
std::string configPathBesideProgram();

// The value of a key in a section of an INI file, or the default; cut to
// size - 1 characters. Returns the number of characters copied.
int getProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                     int size, const char* path);
// Whether reading the INI file stops before its end, at the bound that keeps
// a file that never ends from holding the program; the profile service of
// a system without such a bound never does.
bool isProfileCutShort(const char* path);

// Opens a file for reading as std::fopen does, without waiting for what
// may never come: a FIFO that no program writes to is not opened (nullptr),
// one that has a writer is read as it comes. nullptr, with errno set, when
// it cannot be opened.
std::FILE* openForReading(const char* name, const char* mode);

// A block of `size` bytes (a power of two) for the allocation pools' big
// slabs, or nullptr. Where the system can, the block is aligned to its size
// and backed by large pages, which spares a design of many objects most of
// its page faults and address translations. Given back with releaseSlab.
void* allocateSlab(std::size_t size);
void releaseSlab(void* slab);

// Whether both names exist and are one and the same regular file, under
// whatever spelling or link.
bool isSameRegularFile(const char* first, const char* second);

// Makes sure that the standard input, output and error descriptors are
// open before the program opens anything, so that no file it opens takes
// one of their numbers and receives what was meant for them.
void openStandardStreams();

// Makes a stream carry bytes unchanged where the system would translate
// line ends (a binary file written to the standard output).
void setBinaryMode(std::FILE* stream);

} // namespace dovla::platform
