#include "driver/open_file.h"

#include <cerrno>

#include "driver/messages.h"
#include "driver/platform.h"

namespace dovla {

std::FILE* openFile(const char* name, const char* mode) {
    errno = 0;
    std::FILE* file =
        mode[0] == 'r' ? platform::openForReading(name, mode) : std::fopen(name, mode);
    if (file == nullptr && errno == ENOMEM)
        outOfMemory();
    return file;
}

} // namespace dovla
