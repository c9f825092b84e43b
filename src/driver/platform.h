#pragma once

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

// Whether both names exist and are one and the same file.
bool isSameExistingFile(const char* first, const char* second);

} // namespace dovla::platform
