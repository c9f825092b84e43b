#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
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

// git in one directory, for the tests of sheettool's place in git.
class Git {
  public:
    explicit Git(std::string directory) : directory_(std::move(directory)) {}
    RunResult operator()(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), "git");
        return dovla::testing::runCommand(arguments, directory_);
    }
    bool installed() const { return (*this)({"--version"}).status == 0; }
    // A repository in the directory, with an author of its own and no
    // signing, whatever the user's settings say.
    bool init() const {
        if ((*this)({"init", "-q"}).status != 0)
            return false;
        (*this)({"config", "user.name", "Sheet Tester"});
        (*this)({"config", "user.email", "tester@example.com"});
        (*this)({"config", "commit.gpgsign", "false"});
        return true;
    }

  private:
    std::string directory_;
};

// While it lives, the readers' fatal errors are thrown and their messages
// silenced, as in the tool itself.
class QuietReaders {
  public:
    QuietReaders() { setMessageStream(nullptr); }
    ~QuietReaders() { setMessageStream(stderr); }
    QuietReaders(const QuietReaders&) = delete;
    QuietReaders& operator=(const QuietReaders&) = delete;
};

// The text of a file's bytes, as `sheettool dump` makes it (a library's
// without its offsets, as `--no-offsets` makes it, when offsets is false).
inline std::string dumpBytes(const std::vector<std::uint8_t>& bytes, bool offsets = true) {
    QuietReaders quiet;
    TempDir dir;
    dir.write("file", bytes);
    std::string text;
    if (isLibraryFile(dir.file("file")))
        dumpLibrary(dir.file("file"), text, offsets);
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

// A check report without its line of what the design was read with (which
// names the test's own folder).
inline std::string withoutReadLine(const std::string& report) {
    std::string kept;
    for (const std::string& line : splitText(report)) {
        if (line.find(": read with") == std::string::npos &&
            line.find(": read without TAVEL.INI") == std::string::npos)
            kept += line + "\n";
    }
    return kept;
}

} // namespace dovla::sheettool::testing
