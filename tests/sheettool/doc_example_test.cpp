#include <string>
#include <vector>

#include "sheettool_fixture.h"

namespace dovla::sheettool::testing {
namespace {

// The texts of the format's documentation: every fenced block.
std::vector<std::string> documentedTexts(const std::string& doc) {
    std::vector<std::string> texts;
    std::size_t at = 0;
    while ((at = doc.find("```text\n", at)) != std::string::npos) {
        at += 8;
        std::size_t end = doc.find("```", at);
        texts.push_back(doc.substr(at, end - at));
        at = end + 3;
    }
    return texts;
}

// What the documentation says that a command prints: the line after it.
// The lines the documentation shows a command writing: those after it up to
// the next command or the end of the block.
std::string documentedOutput(const std::string& doc, const std::string& command) {
    std::size_t at = doc.find("    $ " + command + "\n");
    if (at == std::string::npos)
        return "";
    std::string out;
    for (at = doc.find('\n', at) + 1;
         doc.compare(at, 4, "    ") == 0 && doc.compare(at, 6, "    $ ") != 0;
         at = doc.find('\n', at) + 1)
        out += doc.substr(at + 4, doc.find('\n', at) + 1 - at - 4);
    return out;
}

TEST(DocumentedExample, BuildsDumpsAndChecksAsTheDocumentationSays) {
    const std::string doc = dovla::testing::readFile(SHEETTOOL_DOCS "/sheet-text-format.md");
    std::vector<std::string> texts = documentedTexts(doc);
    ASSERT_EQ(texts.size(), 2u);
    TempDir dir;
    const char* names[] = {"demo.sch", "parts.lib"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::vector<std::uint8_t> bytes = buildFile(texts[i]);
        EXPECT_EQ(dumpBytes(bytes), texts[i]);
        dir.write(names[i], bytes);
    }
    dir.write("TAVEL.INI", std::string("[Library]\nLIB0=parts.lib\n"));
    RunResult check = runTool({"check", "demo.sch", "--fail-on", "warning"}, dir.path());
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(check.out, documentedOutput(doc, "sheettool check demo.sch --fail-on warning"));
    RunResult netList = dovla::testing::runProgram({"demo.sch"}, dir.path());
    EXPECT_EQ(netList.status, 0);
    EXPECT_NE(
        netList.out.find("RET\n{\n\tJ1:\tCONN2 [2]\n\tR1:\tRES [2]\n\tD1:\tDIODE [1(A)]\n}\n"),
        std::string::npos)
        << netList.out;
}

} // namespace
} // namespace dovla::sheettool::testing
