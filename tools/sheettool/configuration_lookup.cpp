#include "configuration_lookup.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "driver/open_file.h"
#include "driver/platform.h"
#include "sheettool.h"

namespace dovla::sheettool {

namespace {

// Whether a configuration can be read there: a folder opens on some
// systems but holds no text, and a FIFO that nobody writes to is never
// opened at all.
bool readable(const std::string& path) {
    std::FILE* file = openFile(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::fclose(file);
    std::error_code error;
    return !std::filesystem::is_directory(path, error);
}

} // namespace

bool chooseConfiguration(const std::vector<std::string>& sheets, model::Options& options) {
    const std::string trouble = configurationTrouble(sheets, options);
    return trouble.empty() || refuse(trouble);
}

std::string configurationTrouble(const std::vector<std::string>& sheets, model::Options& options) {
    if (options.noLibraries)
        return "";
    if (!options.configuration.empty())
        return readable(options.configuration) ? "" : "can't open: " + options.configuration;
    if (readable(platform::configPathInCurrentDirectory()))
        return "";
    for (const std::string& sheet : sheets) {
        std::filesystem::path folder = std::filesystem::path(sheet).parent_path();
        if (folder.empty())
            continue; // the current folder, already looked in
        std::string beside = (folder / "TAVEL.INI").string();
        if (readable(beside)) {
            options.configuration = beside;
            return "";
        }
    }
    if (readable(platform::configPathBesideProgram()))
        return "";
    return "can't find TAVEL.INI for " + sheets.front() + " (name one with --config)";
}

} // namespace dovla::sheettool
