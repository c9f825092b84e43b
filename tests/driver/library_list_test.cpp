#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/library_list.h"
#include "support/temp_dir.h"

namespace dovla {
namespace {

// Runs each test in a directory of its own whose TAVEL.INI the test writes;
// the program's own directory (that of the test program) holds none.
class LibraryListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    std::vector<std::string> read(const std::string& ini) {
        dir.write("TAVEL.INI", ini);
        LibraryList list;
        EXPECT_EQ(list.readLibraryList(), 0);
        std::vector<std::string> paths;
        for (int i = 0; i < list.libraryCount(); ++i)
            paths.push_back(list.libraryPath(i));
        return paths;
    }

    testing::TempDir dir;

  private:
    std::filesystem::path previous_;
};

using Paths = std::vector<std::string>;

TEST_F(LibraryListTest, ReadsAtMostSixteenKeysInIndexOrder) {
    // Written backwards, so that file order and index order differ.
    std::string ini = "[Library]\n";
    for (int n = 20; n >= 0; --n)
        ini += "LIB" + std::to_string(n) + "=lib" + std::to_string(n) + ".lib\n";
    Paths expected;
    for (int n = 0; n < 16; ++n)
        expected.push_back("lib" + std::to_string(n) + ".lib");
    EXPECT_EQ(read(ini), expected);
}

TEST_F(LibraryListTest, EndsAtTheFirstMissingOrEmptyKey) {
    EXPECT_EQ(read("[Library]\nLIB1=b.lib\nLIB2=c.lib\n"), Paths{});
    EXPECT_EQ(read("[Library]\nLIB0=a.lib\nLIB1=\nLIB2=c.lib\n"), Paths{"a.lib"});
    EXPECT_EQ(read("[Library]\nLIB0=a.lib\nLIB1=b.lib\nLIB3=d.lib\n"), (Paths{"a.lib", "b.lib"}));
    EXPECT_EQ(read("[Library]\n"), Paths{});
    EXPECT_EQ(read("[Editor]\nLIB0=a.lib\n"), Paths{});
}

TEST_F(LibraryListTest, ReadsTheEditorsOwnSpelling) {
    EXPECT_EQ(read("; written by the editor\r\n[Editor]\r\nGrid=10\r\n\r\n[library]\r\n"
                   "lib0 = \"C:\\Tavel\\Lib\\My Parts.LIB\"\r\nLib1=C:\\Tavel\\Lib\\logic.lib\r\n"),
              (Paths{"C:\\Tavel\\Lib\\My Parts.LIB", "C:\\Tavel\\Lib\\logic.lib"}));
}

TEST_F(LibraryListTest, CutsPathsTo259Characters) {
    std::string longPath(400, 'a');
    EXPECT_EQ(read("[Library]\nLIB0=" + longPath + "\nLIB1=b.lib\n"),
              (Paths{longPath.substr(0, 259), "b.lib"}));
}

TEST_F(LibraryListTest, AMissingFileGivesAnEmptyList) {
    LibraryList list;
    ASSERT_FALSE(dir.exists("TAVEL.INI"));
    EXPECT_EQ(list.readLibraryList(), 0);
    EXPECT_EQ(list.libraryCount(), 0);
}

// The configuration in the current directory is used when it can be
// opened; otherwise the one beside the program, whether it exists or not.
TEST_F(LibraryListTest, LooksInTheCurrentDirectoryFirst) {
    const std::string besideProgram =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/TAVEL.INI";
    EXPECT_EQ(LibraryList::configurationPath(), besideProgram);
    dir.write("TAVEL.INI", "");
    EXPECT_EQ(LibraryList::configurationPath(),
              std::filesystem::current_path().string() + "/TAVEL.INI");
    std::filesystem::remove(dir.file("TAVEL.INI"));
    std::filesystem::create_symlink(dir.file("nowhere.ini"), dir.file("TAVEL.INI"));
    EXPECT_EQ(LibraryList::configurationPath(), besideProgram);
}

} // namespace
} // namespace dovla
