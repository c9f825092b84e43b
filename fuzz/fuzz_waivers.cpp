// The reader of check's waivers files on arbitrary text. A text it takes
// gives waivers that, each written back as its line, read back to the same
// check and subjects; a text it refuses is refused with a line number
// within the text.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "check/waivers.h"
#include "harness.h"

using namespace dovla;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<sheettool::Waiver> waivers;
    try {
        waivers = sheettool::parseWaivers(text);
    } catch (const sheettool::WaiverError& error) {
        std::size_t lines = 1;
        for (char c : text)
            lines += c == '\n';
        if (error.line < 1 || static_cast<std::size_t>(error.line) > lines)
            fuzz::broken("an error outside the text");
        return 0;
    }
    for (const sheettool::Waiver& waiver : waivers) {
        std::string line = sheettool::waiverLine(waiver.kind, waiver.subjects, waiver.comment);
        std::vector<sheettool::Waiver> again;
        try {
            again = sheettool::parseWaivers(line);
        } catch (const sheettool::WaiverError&) {
            fuzz::broken("a written waiver does not read back");
        }
        if (again.size() != 1 || again[0].kind != waiver.kind ||
            again[0].subjects != waiver.subjects)
            fuzz::broken("a written waiver reads back as another");
    }
    return 0;
}
