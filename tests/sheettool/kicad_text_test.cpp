#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "export/kicad_text.h"

namespace dovla::sheettool::kicad {
namespace {

// KiCad's millimetres from its internal units (10,000 to the millimetre):
// no trailing zeros, no point for whole millimetres, the sign before all.
TEST(KicadText, MillimetresAsKicadWritesThem) {
    const struct {
        std::int64_t units;
        const char* text;
    } cases[] = {
        {0, "0"},
        {10000, "1"},
        {2540, "0.254"},
        {-2540, "-0.254"},
        {5, "0.0005"},
        {-5, "-0.0005"},
        {10500, "1.05"},
        {12345678, "1234.5678"},
        {std::numeric_limits<std::int64_t>::min(), "-922337203685477.5808"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mm(c.units), c.text) << c.units;
}

} // namespace
} // namespace dovla::sheettool::kicad
