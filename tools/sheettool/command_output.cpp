#include "command_output.h"

#include <cstdio>

#include "driver/platform.h"
#include "sheettool.h"

namespace dovla::sheettool {

bool writeCommandOutput(const std::string& name, const std::string& text,
                        const std::vector<std::string>& inputs) {
    if (name.empty() || name == "-") {
        bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
        if (std::fflush(stdout) != 0 || !written)
            return refuse("can't write the output");
        return true;
    }
    for (const std::string& input : inputs) {
        if (platform::isSameRegularFile(name.c_str(), input.c_str()))
            return refuse("can't write: " + name + " is an input");
    }
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr)
        return refuse("can't write: " + name);
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fclose(file) == 0 && written;
    return written || refuse("can't write: " + name);
}

} // namespace dovla::sheettool
