#pragma once

#include <functional>
#include <string>

namespace dovla {

// The part library paths named under "Library" in TAVEL.INI, LIB0 first.
class LibraryList {
  public:
    static constexpr int maxLibraries = 16;
    static constexpr int pathSize = 260;

    // Reads the list once; later calls keep it. Finding and reading the
    // configuration has no side effects and reports nothing, so the entry
    // point may read it early, to keep the output off the files it names.
    int readLibraryList();
    // The list of a configuration file named outright, instead of the one
    // found, each path as `resolve` gives it back (sheettool takes relative
    // paths from the configuration's directory). A resolved path is cut to
    // the room of an entry, as every path is.
    using PathResolver = std::function<std::string(const std::string& path)>;
    void readLibraryListFrom(const std::string& configuration, const PathResolver& resolve);
    // The configuration file used: the one in the current directory when it
    // can be opened, else the one beside the program.
    static std::string configurationPath();

    // The configuration file the list was read from.
    const std::string& configuration() const { return configuration_; }
    // Whether the configuration was longer than its reader reads (a device
    // that never ends); the list holds what came before the cut.
    bool configurationCutShort() const { return cutShort_; }
    int libraryCount() const { return libraryCount_; }
    const char* libraryPath(int index) const { return libraryPaths_[index]; }

  private:
    void readList(const PathResolver* resolve);

    char libraryPaths_[maxLibraries][pathSize] = {};
    int libraryCount_ = 0;
    bool read_ = false;
    bool cutShort_ = false;
    std::string configuration_;
};

} // namespace dovla
