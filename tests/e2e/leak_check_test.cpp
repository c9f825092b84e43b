#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/run_program.h"
#include "writers/sheet_writer.h"

// The end-to-end tests double as the leak and memory check of the program:
// built with DOVLA32_SANITIZE, every run of the binary, the fatal ones
// included, is checked by AddressSanitizer and LeakSanitizer. These tests
// make sure that a child's report cannot go unnoticed.
namespace dovla::testing {
namespace {

RunResult runShell(const std::string& script) {
    TempDir dir;
    return runCommand({"/bin/sh", "-c", script}, dir.path());
}

TEST(LeakCheck, ASanitizerReportFailsTheTestWhateverTheExitStatus) {
    // Reports as the sanitizers write them, each from a child that exits with
    // the program's own fatal status.
    EXPECT_NONFATAL_FAILURE(
        runShell("echo '==7==ERROR: LeakSanitizer: detected memory leaks' >&2; exit 1"),
        "ERROR: LeakSanitizer");
    EXPECT_NONFATAL_FAILURE(
        runShell("echo '==7==ERROR: AddressSanitizer: heap-buffer-overflow' >&2; exit 1"),
        "ERROR: AddressSanitizer");
    EXPECT_NONFATAL_FAILURE(
        runShell("echo 'src/x.cpp:1:2: runtime error: signed integer overflow' >&2; exit 0"),
        "runtime error");
}

TEST(LeakCheck, AnOrdinaryErrorMessagePasses) {
    RunResult result = runShell("echo 'dovla32: file read error!' >&2; exit 1");
    EXPECT_EQ(result.status, 1);
}

TEST(LeakCheck, TheSanitizersExitWithAStatusOfTheirOwn) {
    // Options already given are kept behind the exit code.
    const char* saved = std::getenv("UBSAN_OPTIONS");
    std::string before = saved != nullptr ? saved : "";
    ::setenv("UBSAN_OPTIONS", "print_stacktrace=1", 1);
    RunResult result = runShell("echo \"$ASAN_OPTIONS|$LSAN_OPTIONS|$UBSAN_OPTIONS\"");
    if (saved != nullptr)
        ::setenv("UBSAN_OPTIONS", before.c_str(), 1);
    else
        ::unsetenv("UBSAN_OPTIONS");
    std::string line = result.out.substr(0, result.out.find('\n'));
    std::size_t first = line.find('|');
    std::size_t second = line.find('|', first + 1);
    ASSERT_NE(second, std::string::npos) << line;
    for (const std::string& options :
         {line.substr(0, first), line.substr(first + 1, second - first - 1)})
        EXPECT_TRUE(options == "exitcode=23" || options.rfind("exitcode=23:", 0) == 0) << options;
    EXPECT_EQ(line.substr(second + 1), "exitcode=23:print_stacktrace=1");
}

// The one fatal path that ordinary inputs never reach: a request that the
// heap refuses. AddressSanitizer refuses the point grid's directory (the
// one block of a megabyte that a small design takes) when told to refuse
// blocks of a megabyte, and the run must still end with its message and
// free the rest.
TEST(LeakCheck, AnAllocationFailureEndsTheRunWithoutALeak) {
    if (!addressSanitizer || testingWindowsBuild())
        GTEST_SKIP() << "needs the program built with DOVLA32_SANITIZE";
    const char* saved = std::getenv("ASAN_OPTIONS");
    std::string before = saved != nullptr ? saved : "";
    ::setenv(
        "ASAN_OPTIONS",
        (before + ":detect_leaks=1:allocator_may_return_null=1:max_allocation_size_mb=1").c_str(),
        1);
    TempDir dir;
    writers::SheetWriter sheet;
    sheet.header().wire(10, 20, 110, 20);
    sheet.save(dir.file("wire.sch"));
    RunResult result = runProgram({"wire.sch"}, dir.path());
    if (saved != nullptr)
        ::setenv("ASAN_OPTIONS", before.c_str(), 1);
    else
        ::unsetenv("ASAN_OPTIONS");
    EXPECT_EQ(result.status, 1);
    // Between the two stands the sanitizer's own warning of the refusal.
    const std::string message = "dovla32: can't alloc memory!\n";
    EXPECT_EQ(result.err.rfind(banner(), 0), 0u) << result.err;
    ASSERT_GE(result.err.size(), message.size());
    EXPECT_EQ(result.err.substr(result.err.size() - message.size()), message) << result.err;
    EXPECT_EQ(result.out, "");
}

} // namespace
} // namespace dovla::testing
