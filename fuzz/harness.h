#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What every fuzz target shares: a private working directory that the
// process enters at start, so that TAVEL.INI is found there and every file
// a run writes stays inside it, and one whole run of the program on fresh
// state per input.
namespace dovla::fuzz {

// Call from LLVMFuzzerInitialize. Makes the working directory (under
// $TMPDIR, else /dev/shm, else /tmp) and enters it; removes it at exit.
// Relative paths among the fuzzer's own arguments (corpus directories,
// artifact prefix, dictionary, ...) are made absolute first, since they
// were meant from the directory the fuzzer was started in, and crash files
// go there too unless -artifact_prefix says otherwise. The messages are
// silenced from here on.
void setUp(int* argc, char*** argv);

// Reports a property of the code that the input broke, under the target's
// name, and aborts: the fuzzer keeps the input as a crash.
[[noreturn]] void broken(const std::string& what);

// The working directory's absolute path.
const std::string& workDirectory();

// Writes a file of the working directory; aborts when that fails.
void writeFile(const std::string& name, const std::uint8_t* data, std::size_t size);
void writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
void writeFile(const std::string& name, const std::string& text);

// A whole run of dovlaMain with the arguments (argv[0] is supplied), on
// fresh run state and pools, as the program would do it once per process.
// Returns its exit status: 0 for a complete run, 1 when it ended through
// fatal. Aborts when the run left a file descriptor open.
int runDovla(const std::vector<std::string>& arguments);

// Aborts unless the report in the file is whole: it starts with the part
// list's head and ends with the trailer of its format. For complete runs.
void checkWholeReport(const std::string& name, bool packageFormat);

} // namespace dovla::fuzz
