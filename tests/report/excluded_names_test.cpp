#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/excluded_names.h"

namespace dovla {
namespace {

struct ExclusionCase {
    bool implicitPowerNames;
    std::vector<std::string> extraNames;
    std::string name;
    bool excluded;
};

void PrintTo(const ExclusionCase& c, std::ostream* out) {
    *out << (c.implicitPowerNames ? "implicit " : "-p ") << c.extraNames.size() << " -w '" << c.name
         << "'";
}

class ExcludedNames : public ::testing::TestWithParam<ExclusionCase> {};

TEST_P(ExcludedNames, Decides) {
    const ExclusionCase& c = GetParam();
    ExcludedNameList list;
    list.setImplicitPowerNames(c.implicitPowerNames);
    for (const std::string& name : c.extraNames)
        list.addExcludedName(name.c_str());
    EXPECT_EQ(list.isExcluded(c.name.c_str()), c.excluded) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExcludedNames,
    ::testing::Values(
        // Implicit power names are case-sensitive three-character prefixes.
        ExclusionCase{true, {}, "VCC", true}, ExclusionCase{true, {}, "VCC3", true},
        ExclusionCase{true, {}, "GND", true}, ExclusionCase{true, {}, "GNDA", true},
        ExclusionCase{true, {}, "vcc", false}, ExclusionCase{true, {}, "Gnd", false},
        ExclusionCase{true, {}, "AGND", false}, ExclusionCase{true, {}, "VC", false},
        ExclusionCase{true, {}, "", false},
        // -p turns them off; -w names match whole names only.
        ExclusionCase{false, {}, "VCC", false}, ExclusionCase{false, {}, "GND", false},
        ExclusionCase{false, {"VCC"}, "VCC", true}, ExclusionCase{false, {"VCC"}, "VCC1", false},
        ExclusionCase{true, {"VCC"}, "VCC1", true},
        ExclusionCase{false, {"P5V", "P5V"}, "P5V", true},
        ExclusionCase{false, {"P5V", "M12"}, "M12", true},
        ExclusionCase{false, {"P5V"}, "P5", false}, ExclusionCase{false, {"P5V"}, "P5VX", false},
        ExclusionCase{true, {"ABCDEFGHIJKLMNOPQ"}, "ABCDEFGHIJKLMNO", false}));

TEST(ExcludedNameList, ClearRestoresTheInitialState) {
    ExcludedNameList list;
    list.setImplicitPowerNames(false);
    list.addExcludedName("X");
    list.clear();
    EXPECT_TRUE(list.isExcluded("VCC"));
    EXPECT_FALSE(list.isExcluded("X"));
}

} // namespace
} // namespace dovla
