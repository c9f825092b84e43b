#include "driver/library_list.h"

#include <cstdio>

#include "driver/messages.h"
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
    readList(nullptr);
    return 0;
}

void LibraryList::readLibraryListFrom(const std::string& configuration,
                                      const PathResolver& resolve) {
    configuration_ = configuration;
    readList(&resolve);
}

void LibraryList::readList(const PathResolver* resolve) {
    libraryCount_ = 0;
    for (int n = 0; n < maxLibraries; ++n) {
        char key[16];
        std::snprintf(key, sizeof key, "LIB%d", n);
        if (platform::getProfileString("Library", key, "", libraryPaths_[n], pathSize,
                                       configuration_.c_str()) == 0)
            break;
        if (resolve != nullptr) {
            std::string path = (*resolve)(libraryPaths_[n]);
            std::snprintf(libraryPaths_[n], pathSize, "%s", path.c_str());
        }
        ++libraryCount_;
    }
    read_ = true;
    cutShort_ = platform::isProfileCutShort(configuration_.c_str());
    if (cutShort_)
        warn("configuration cut short: %s\n", configuration_.c_str());
}

} // namespace dovla
