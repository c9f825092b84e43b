#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace dovla::testing {

struct RunResult {
    std::string out;                // the exact bytes of standard output
    std::string err;                // the exact bytes of standard error
    int status = -1;                // exit status; -1 when the program did not exit normally
    std::vector<std::string> files; // names left in the working directory, sorted
};

// The command that runs the program under test: DOVLA32_RUNNER (for example
// "wine"), when set, in front of DOVLA32_PROGRAM, or of the built binary.
std::vector<std::string> programCommand();

// What a run changes in the child it starts, and only there.
struct RunSetup {
    std::vector<std::string> environment; // "NAME=value"
    std::vector<int> closedDescriptors;   // closed before the program starts
};

// Runs the program with the arguments in the directory, with nothing on its
// standard input.
RunResult runProgram(const std::vector<std::string>& arguments, const std::string& directory,
                     const RunSetup& setup = {});
RunResult runCommand(const std::vector<std::string>& command, const std::string& directory,
                     const RunSetup& setup = {});

// Text as the program writes it: with DOVLA32_CRLF set (a Windows build),
// every "\n" becomes "\r\n".
std::string lines(const std::string& text);

// Whether the program under test is another build than the one beside the
// tests (DOVLA32_PROGRAM is set): the Windows build, run through
// DOVLA32_RUNNER. Tests of what only the POSIX build can do (a copy of the
// built binary, paths such as /dev/full) skip themselves then.
bool testingWindowsBuild();

// Whether the tests, and so the program beside them, are built with
// AddressSanitizer (DOVLA32_SANITIZE): its allocator answers memory limits
// in its own way.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool addressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool addressSanitizer = true;
#else
inline constexpr bool addressSanitizer = false;
#endif
#else
inline constexpr bool addressSanitizer = false;
#endif

// The banner that starts every run's standard error.
std::string banner();

} // namespace dovla::testing
