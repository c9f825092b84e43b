#include "driver/open_file.h"

#include <cerrno>

#include "driver/messages.h"

namespace dovla {

std::FILE* openFile(const char* name, const char* mode) {
    errno = 0;
    std::FILE* file = std::fopen(name, mode);
    if (file == nullptr && errno == ENOMEM)
        outOfMemory();
    return file;
}

} // namespace dovla
