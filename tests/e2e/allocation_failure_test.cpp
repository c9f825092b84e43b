#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "design_fixture.h"
#include "support/allocation_report.h"
#include "support/run_program.h"

// Exhausted memory, met at every allocation of a run in turn: the program
// is run once for each allocation it makes, with that one failing (through
// a preloaded allocator), and every such run must end either with the
// normal report or with "can't alloc memory!", exit status 1 and the part of
// the report written before; never with an abort, and never with a block
// left behind.
namespace dovla::testing {
namespace {

// A small design that still reaches every stage: parts from a library,
// power symbols, a tag, a bus with wire entries and labels, a junction.
void completeDesign(Design& d) {
    workedExample(d);
    d.sheet.bus(500, 700, 800, 700)
        .busEntry(600, 700, 2)
        .busEntry(700, 700, 2)
        .wire(610, 600, 610, 690)
        .wire(710, 600, 710, 690)
        .label(610, 650, "D0", 8)
        .label(710, 650, "D0", 8)
        .wire(610, 600, 710, 600)
        .junction(610, 600)
        .tag(800, 700, "DBUS");
    d.resistor(560, 600, "R9");
}

struct SweepCase {
    const char* name;
    std::vector<std::string> options;
};

void PrintTo(const SweepCase& c, std::ostream* out) {
    *out << c.name;
}

class AllocationFailure : public ::testing::TestWithParam<SweepCase> {};

TEST_P(AllocationFailure, EveryFailedAllocationEndsInItsMessage) {
#ifndef FAILING_ALLOCATOR
    GTEST_SKIP() << "the preloaded allocator is not built with the sanitizers";
#else
    if (testingWindowsBuild())
        GTEST_SKIP() << "the preloaded allocator works on the C library of Linux";
    Design design;
    completeDesign(design);
    design.save();
    std::vector<std::string> arguments = GetParam().options;
    arguments.push_back("-oreport.net");
    arguments.push_back("design.sch");
    const std::string reportFile = design.dir.file("allocations");
    auto run = [&](unsigned long failAt) {
        RunSetup setup;
        setup.environment = {std::string("LD_PRELOAD=") + FAILING_ALLOCATOR,
                             "DOVLA32_FAIL_ALLOCATION=" + std::to_string(failAt),
                             "DOVLA32_ALLOCATION_REPORT=" + reportFile};
        return runProgram(arguments, design.dir.path(), setup);
    };

    RunResult normal = run(0);
    ASSERT_EQ(normal.status, 0) << normal.err;
    ASSERT_EQ(normal.err, banner());
    const std::string report = design.dir.read("report.net");
    ASSERT_NE(report.find("OUT"), std::string::npos) << report;
    AllocationReport whole = readAllocationReport(reportFile);
    EXPECT_EQ(whole.live, 0) << "a complete run leaves blocks behind";
    ASSERT_GT(whole.calls, 10u);

    const std::string outOfMemory = banner() + "dovla32: can't alloc memory!\n";
    int failedRuns = 0;
    for (unsigned long n = 1; n <= whole.calls && failedRuns < 5; ++n) {
        RunResult result = run(n);
        AllocationReport books = readAllocationReport(reportFile);
        std::string written = design.dir.exists("report.net") ? design.dir.read("report.net") : "";
        bool ok = books.failed && books.live == 0 &&
                  ((result.status == 0 && result.err == banner() && written == report) ||
                   (result.status == 1 && result.err == outOfMemory &&
                    report.compare(0, written.size(), written) == 0));
        if (!ok) {
            ++failedRuns;
            ADD_FAILURE() << "allocation " << n << " of " << whole.calls << " failing: status "
                          << result.status << ", failed " << books.failed << ", live blocks "
                          << books.live << "\n"
                          << result.err;
        }
    }
    RecordProperty("allocations", static_cast<int>(whole.calls));
#endif
}

INSTANTIATE_TEST_SUITE_P(
    Sweep, AllocationFailure,
    ::testing::Values(SweepCase{"Default", {}}, SweepCase{"Package", {"-t"}},
                      SweepCase{"LongFineScan", {"-l", "-s"}},
                      SweepCase{"PackageLongPowerName", {"-t", "-l", "-p", "-wVCC"}}),
    [](const ::testing::TestParamInfo<SweepCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace dovla::testing
