#include "load_design.h"
#include "sheettool_fixture.h"

// The design read for the parts alone (export bom-csv) against the whole
// design: the same parts, symbols and pins, each pin on the same group, and
// nothing else, under each option that changes which pins are power pins or
// how the nets are joined.
namespace dovla::sheettool::testing {
namespace {

#ifdef MAKE_DESIGN_BINARY

struct ContentCase {
    const char* name;
    bool implicitPowerNames;
    std::vector<std::string> powerNames;
    std::int32_t scanStep;
};

class PartsContent : public ::testing::TestWithParam<ContentCase> {};

TEST_P(PartsContent, HoldsThePartsAndPinsOfTheWholeDesign) {
    TempDir dir;
    RunResult made = dovla::testing::runCommand({MAKE_DESIGN_BINARY, "2", "."}, dir.path());
    ASSERT_EQ(made.status, 0) << made.err;
    model::Options options;
    options.implicitPowerNames = GetParam().implicitPowerNames;
    options.powerNames = GetParam().powerNames;
    options.scanStep = GetParam().scanStep;
    options.configuration = dir.file("TAVEL.INI");
    const model::Design whole = model::loadDesign(dir.file("design.sch"), options);
    const model::Design parts =
        model::loadDesign(dir.file("design.sch"), options, model::Content::Parts);

    ASSERT_EQ(parts.parts.size(), whole.parts.size());
    for (std::size_t i = 0; i < whole.parts.size(); ++i) {
        const model::Part& a = whole.parts[i];
        const model::Part& b = parts.parts[i];
        EXPECT_TRUE(a.ref == b.ref && a.name == b.name && a.libName == b.libName &&
                    a.block == b.block && a.symbol == b.symbol && a.pins == b.pins &&
                    a.origin == b.origin && a.record == b.record)
            << "part " << i;
    }
    EXPECT_EQ(parts.symbols.size(), whole.symbols.size());
    ASSERT_EQ(parts.pins.size(), whole.pins.size());
    int grouped = 0;
    for (std::size_t i = 0; i < whole.pins.size(); ++i) {
        const model::Pin& a = whole.pins[i];
        const model::Pin& b = parts.pins[i];
        EXPECT_TRUE(a.part == b.part && a.number == b.number && a.letter == b.letter &&
                    a.name == b.name && a.text == b.text && a.end == b.end && a.root == b.root &&
                    a.listed == b.listed && a.group == b.group)
            << "pin " << i;
        grouped += a.group.kind == model::GroupRef::Net;
    }
    EXPECT_GT(grouped, 0);
    EXPECT_TRUE(parts.items.empty() && parts.wires.empty() && parts.labels.empty() &&
                parts.nets.empty() && parts.busGroups.empty());
}

INSTANTIATE_TEST_SUITE_P(Options, PartsContent,
                         ::testing::Values(ContentCase{"Plain", true, {}, 10},
                                           ContentCase{"NoImplicitPowerNames", false, {}, 10},
                                           ContentCase{"NamedPowerName", false, {"VCC"}, 10},
                                           ContentCase{"FineScan", true, {}, 1}),
                         [](const ::testing::TestParamInfo<ContentCase>& info) {
                             return info.param.name;
                         });

#endif

} // namespace
} // namespace dovla::sheettool::testing
