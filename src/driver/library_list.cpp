#include "driver/library_list.h"

#include <cstdio>
#include <filesystem>

#include "driver/open_file.h"
#include "driver/platform.h"

namespace dovla {

std::string LibraryList::configurationPath() {
    std::string path = platform::configPathInCurrentDirectory();
    if (std::FILE* file = openFile(path.c_str(), "r")) {
        std::fclose(file);
        return path;
    }
    return platform::configPathBesideProgram();
}

// The list ends at the first missing or empty key: keys behind a gap are not
// read.
int LibraryList::readLibraryList() {
    if (read_)
        return 0;
    configuration_ = configurationPath();
    readList(std::string());
    return 0;
}

void LibraryList::readLibraryListFrom(const std::string& configuration) {
    configuration_ = configuration;
    std::filesystem::path directory = std::filesystem::path(configuration).parent_path();
    readList(directory.empty() ? std::string() : directory.string());
}

// Each path relative to the base, when one is given; cut to the room of an
// entry, as every path is.
void LibraryList::readList(const std::string& base) {
    libraryCount_ = 0;
    for (int n = 0; n < maxLibraries; ++n) {
        char key[16];
        std::snprintf(key, sizeof key, "LIB%d", n);
        if (platform::getProfileString("Library", key, "", libraryPaths_[n], pathSize,
                                       configuration_.c_str()) == 0)
            break;
        if (!base.empty() && std::filesystem::path(libraryPaths_[n]).is_relative()) {
            std::string path = (std::filesystem::path(base) / libraryPaths_[n]).string();
            std::snprintf(libraryPaths_[n], pathSize, "%s", path.c_str());
        }
        ++libraryCount_;
    }
    read_ = true;
}

} // namespace dovla
