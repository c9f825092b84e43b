#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

// What the preloaded failing allocator (failing_allocator.cpp) writes at
// the end of a run: how many allocations it counted, whether the one it
// was told to fail came, and how many blocks were never given back.
namespace dovla::testing {

struct AllocationReport {
    unsigned long calls = 0;
    bool failed = false;
    long live = -1;
};

inline AllocationReport readAllocationReport(const std::string& path) {
    AllocationReport report;
    std::string text = readFile(path);
    int failed = 0;
    if (std::sscanf(text.c_str(), "calls=%lu failed=%d live=%ld", &report.calls, &failed,
                    &report.live) != 3)
        ADD_FAILURE() << "no allocation report: \"" << text << "\"";
    report.failed = failed != 0;
    EXPECT_EQ(text.find("overflowed"), std::string::npos) << text;
    return report;
}

} // namespace dovla::testing
