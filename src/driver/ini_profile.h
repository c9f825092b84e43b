#pragma once

#include <string_view>

namespace dovla {

// A private-profile reader for INI text, as the Windows build's system
// service reads it. Section and key names are compared without regard to
// letter case; blanks around names, around "=" and around the value are
// ignored; one pair of quotes (double or single) around a whole value is
// removed; lines whose first non-blank character is ";" are comments;
// lines end with LF, CR LF or CR alone. Only the first section of the name
// is searched, and there the first line of the key wins.
//
// A text that begins with a byte-order mark is read in its encoding: UTF-8
// (the mark is dropped) or UTF-16, little- or big-endian (the text is read
// as UTF-8). The text is read as a stream: memory does not grow with it.
// Reading ends, as at the end of a damaged file, at a line longer than
// 64 KiB or after 16 MiB: what comes before counts, the line it ends in does
// not, and a file that never ends (/dev/zero) ends there too.
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

// Whether reading the file ends at the bound above, before the file's end.
bool isProfileFileCutShort(const char* path);

} // namespace dovla
