#include <fstream>
#include <iterator>

#include "sheettool_fixture.h"

namespace dovla::sheettool::testing {
namespace {

#ifdef MAKE_DESIGN_BINARY

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The benchmark's designs, from one sheet to the largest file there is:
// dump, build and dump again through the tool itself.
class GeneratedDesign : public ::testing::TestWithParam<int> {};

TEST_P(GeneratedDesign, RoundTripsBothWays) {
    TempDir dir;
    RunResult made = dovla::testing::runCommand(
        {MAKE_DESIGN_BINARY, std::to_string(GetParam()), "."}, dir.path());
    ASSERT_EQ(made.status, 0) << made.err;
    for (const char* file : {"design.sch", "design.lib"}) {
        SCOPED_TRACE(file);
        RunResult dump = runTool({"dump", file}, dir.path());
        ASSERT_EQ(dump.status, 0) << dump.err;
        dir.write("text", dump.out);
        RunResult build = runTool({"build", "text", "-o", "rebuilt"}, dir.path());
        ASSERT_EQ(build.status, 0) << build.err;
        EXPECT_TRUE(fileBytes(dir.file(file)) == fileBytes(dir.file("rebuilt")));
        RunResult again = runTool({"dump", "rebuilt"}, dir.path());
        EXPECT_TRUE(again.out == dump.out);
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, GeneratedDesign, ::testing::Values(1, 32));

#endif

} // namespace
} // namespace dovla::sheettool::testing
