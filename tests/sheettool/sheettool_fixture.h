#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "driver/messages.h"
#include "sheettool.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "text_syntax.h"

namespace dovla::sheettool::testing {

using dovla::testing::RunResult;
using dovla::testing::TempDir;

inline RunResult runTool(std::vector<std::string> arguments, const std::string& directory) {
    arguments.insert(arguments.begin(), SHEETTOOL_BINARY);
    return dovla::testing::runCommand(arguments, directory);
}

// While it lives, the readers' fatal errors are thrown and their messages
// silenced, as in the tool itself.
class QuietReaders {
  public:
    QuietReaders() { setMessageStream(nullptr); }
    ~QuietReaders() { setMessageStream(stderr); }
    QuietReaders(const QuietReaders&) = delete;
    QuietReaders& operator=(const QuietReaders&) = delete;
};

// The text of a file's bytes, as `sheettool dump` makes it.
inline std::string dumpBytes(const std::vector<std::uint8_t>& bytes) {
    QuietReaders quiet;
    TempDir dir;
    dir.write("file", bytes);
    std::string text;
    if (isLibraryFile(dir.file("file")))
        dumpLibrary(dir.file("file"), text);
    else
        dumpSheet(dir.file("file"), text);
    return text;
}

inline std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

inline std::vector<std::string> splitText(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace dovla::sheettool::testing
