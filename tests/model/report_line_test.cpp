#include <gtest/gtest.h>

#include <string>

#include "design.h"

namespace dovla::model {
namespace {

// A report line holds every byte of a name: control bytes as \xHH, so that
// a name cannot break the line or forge another, and the rest as they are.
TEST(ReportLine, ShowsControlBytesAndKeepsTheRest) {
    const struct {
        std::string text;
        std::string line;
    } cases[] = {
        {"", "\n"},
        {"R1.2", "R1.2\n"},
        {std::string("\x01", 1), "\\x01\n"},
        {"a\nnet added: X", "a\\x0anet added: X\n"},
        {std::string("\x1f\x20\x7e\x7f\x80\xff", 6), "\\x1f ~\\x7f\x80\xff\n"},
        {std::string("A\0B", 3), "A\\x00B\n"},
        {"end\t", "end\\x09\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reportLine(c.text), c.line) << c.line;
}

} // namespace
} // namespace dovla::model
