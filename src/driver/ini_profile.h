#pragma once

#include <string_view>

namespace dovla {

// A private-profile reader for INI text. Section and key names are compared
// without regard to letter case; blanks around names, around "=" and around
// the value are ignored; one pair of quotes (double or single) around a
// whole value is removed; lines whose first non-blank character is ";" are
// comments; lines end with LF or CR LF. Only the first section of the name
// is searched, and there the first line of the key wins.
//
// Copies the value (or the default, for a missing or empty key) into the
// buffer, cut to size - 1 characters, and returns the number of characters
// copied: 0 for a missing or empty key with the default "".
int readProfileString(std::string_view text, const char* section, const char* key,
                      const char* defaultValue, char* buffer, int size);

// The same, on the contents of a file; a file that cannot be read holds no
// sections.
int readProfileFile(const char* path, const char* section, const char* key,
                    const char* defaultValue, char* buffer, int size);

} // namespace dovla
