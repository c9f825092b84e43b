#pragma once

#include <string>

namespace dovla {

// The part library paths named under "Library" in TAVEL.INI, LIB0 first.
class LibraryList {
  public:
    static constexpr int maxLibraries = 16;
    static constexpr int pathSize = 260;

    int readLibraryList();
    // The configuration file used: the one in the current directory when it
    // can be opened, else the one beside the program.
    static std::string configurationPath();

    int libraryCount() const { return libraryCount_; }
    const char* libraryPath(int index) const { return libraryPaths_[index]; }

  private:
    char libraryPaths_[maxLibraries][pathSize] = {};
    int libraryCount_ = 0;
};

} // namespace dovla
