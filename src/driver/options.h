#pragma once

#include <cstdint>
#include <cstdio>

namespace dovla {

// What the command line chose.
struct RunOptions {
    bool packageFormat = false; // -t
    bool longListing = false;   // -l
    std::int32_t scanStep = 10; // -s makes it 1
    std::FILE* outputStream = stdout;
};

// One option per argument, its argument attached ("-ofile", never "-o
// file"); the first argument that does not begin with '-' ends the options.
class OptionParser {
  public:
    // An option letter, '?' for an option in error, or -1 when none is left.
    int getOption(int argc, char* const* argv, const char* optionString);

    int optionIndex = 1;
    const char* optionArgument = nullptr;
};

} // namespace dovla
