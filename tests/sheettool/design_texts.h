#pragma once

#include <string>
#include <vector>

#include "sheettool_fixture.h"

namespace dovla::sheettool::testing {

// A directory holding the shipped example's libraries, built from their
// texts by sheettool, and the TAVEL.INI that names them; sheets are built
// from texts the tests write. RES: pin 1 ends 50 left of the origin and 10
// above it, pin 2 10 right of it; VCC's pin ends 10 left and 10 below its
// origin, GND's 10 left and 10 above.
class DesignTexts : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* library : {"basic.lib", "logic.lib"}) {
            RunResult built = runTool(
                {"build", std::string(EXAMPLE_SOURCE_DIR) + "/" + library + ".txt", "-o", library},
                dir.path());
            ASSERT_EQ(built.status, 0) << built.err;
        }
        dir.write("TAVEL.INI", std::string("[Library]\nLIB0=basic.lib\nLIB1=logic.lib\n"));
    }

    // Builds the sheet file from its text (the "sheet-file" line is added).
    void sheet(const std::string& name, const std::string& text) {
        dir.write(name + ".txt", "sheet-file\n" + text);
        RunResult built = runTool({"build", name + ".txt", "-o", name}, dir.path());
        ASSERT_EQ(built.status, 0) << built.err;
    }

    RunResult tool(const std::vector<std::string>& arguments) {
        return runTool(arguments, dir.path());
    }

    TempDir dir;
};

} // namespace dovla::sheettool::testing
