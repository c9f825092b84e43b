#include <fstream>
#include <sstream>

#include "sheettool_fixture.h"

namespace dovla::sheettool::testing {
namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text without its leading comment block: what dump gives back.
std::string withoutLeadingComments(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size() && text[start] == '#')
        start = text.find('\n', start) + 1;
    return text.substr(start);
}

// The example's sources are texts in the form dump writes, and the build
// turns each into the file that dovla32 reads.
class ShippedExample : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedExample, SourceIsTheDumpOfTheBuiltFile) {
    std::string file = GetParam();
    RunResult dump = runTool({"dump", file}, EXAMPLE_BUILD_DIR);
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out, withoutLeadingComments(fileText(EXAMPLE_SOURCE_DIR "/" + file + ".txt")));
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedExample,
                         ::testing::Values("demo.sch", "basic.lib", "logic.lib"));

// The example's one finding is its spare gate, which fails nothing.
TEST(ShippedExampleCheck, FindsTheFreeGateOnly) {
    RunResult run = runTool({"check", "demo.sch"}, EXAMPLE_BUILD_DIR);
    EXPECT_EQ(run.out, "demo.sch: sheet 2 at 400,300: info: part U1 7400: blocks not placed: "
                       "U1(4/4) [unused-blocks]\n"
                       "demo.sch: read with TAVEL.INI: basic.lib, logic.lib\n"
                       "demo.sch: 0 errors, 0 warnings, 1 info, 0 waived; ignored: none; "
                       "fails on: error\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    // Read blind, every part is unknown, and the report says why.
    RunResult blind = runTool({"check", "demo.sch", "--no-libraries"}, EXAMPLE_BUILD_DIR);
    EXPECT_NE(blind.out.find("demo.sch: read without TAVEL.INI: no libraries (--no-libraries)\n"),
              std::string::npos)
        << blind.out;
}

} // namespace
} // namespace dovla::sheettool::testing
