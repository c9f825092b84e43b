#include <string>
#include <vector>

#include "sheettool_fixture.h"
#include "writers/library_writer.h"
#include "writers/sheet_writer.h"

namespace dovla::sheettool::testing {
namespace {

using writers::LibraryWriter;
using writers::SheetWriter;

// The two settings of the README make `git diff` show sheets and libraries
// as their text.
TEST(GitDiff, ShowsSheetAndLibraryChangesAsText) {
    TempDir repository;
    Git git(repository.path());
    if (!git.installed())
        GTEST_SKIP() << "git is not installed";
    ASSERT_TRUE(git.init());
    ASSERT_EQ(
        git({"config", "diff.tavel.textconv", std::string("\"") + SHEETTOOL_BINARY + "\" dump"})
            .status,
        0);
    repository.write(".gitattributes", std::string("*.sch diff=tavel\n*.lib diff=tavel\n"));
    SheetWriter().header().wire(10, 20, 110, 20).save(repository.file("a.sch"));
    LibraryWriter().simple("RES", 2).save(repository.file("a.lib"));
    ASSERT_EQ(git({"add", "."}).status, 0);
    RunResult commit = git({"commit", "-q", "-m", "first"});
    ASSERT_EQ(commit.status, 0) << commit.err;

    SheetWriter().header().wire(10, 20, 120, 20).save(repository.file("a.sch"));
    LibraryWriter().simple("RES", 3).save(repository.file("a.lib"));
    RunResult diff = git({"diff"});
    EXPECT_EQ(diff.status, 0) << diff.err;
    EXPECT_EQ(diff.out.find("Binary files"), std::string::npos) << diff.out;
    for (const char* line :
         {"\n-wire      from=10,20 to=110,20  # sheet 1: 3010,2020 - 3110,2020\n",
          "\n+wire      from=10,20 to=120,20  # sheet 1: 3010,2020 - 3120,2020\n",
          "\n+  pin side=left offset=3 numbers=3\n"})
        EXPECT_NE(diff.out.find(line), std::string::npos) << line << "\n" << diff.out;
}

} // namespace
} // namespace dovla::sheettool::testing
