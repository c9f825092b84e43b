#pragma once

#include <cstdio>

namespace dovla {

// Opens a file as std::fopen does; nullptr when it cannot be opened. A file
// opened for reading never holds the run up: a FIFO that nobody writes to
// is not opened. A file that could not be opened for want of memory is not
// a missing file: that ends the run with "can't alloc memory!", as every
// other exhausted allocation does.
std::FILE* openFile(const char* name, const char* mode);

} // namespace dovla
