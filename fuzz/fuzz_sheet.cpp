// A whole run on an arbitrary sheet file, with the fixed library. The first
// byte of the input picks the options (bit 0 -t, bit 1 -s, bit 2 -l, bit 3
// -p, bit 4 -wN1); the rest is the sheet file. A complete run must have
// written its whole report.

#include <cstddef>
#include <cstdint>

#include "fixtures.h"
#include "harness.h"

using namespace dovla::fuzz;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setUp(argc, argv);
    writeFile("TAVEL.INI", std::string("[Library]\nLIB0=fixed.lib\n"));
    writeFile("fixed.lib", fixedLibrary());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t options = 0;
    if (size > 0) {
        options = data[0];
        ++data;
        --size;
    }
    std::vector<std::string> arguments = {"-oreport.net"};
    static const char* const optionWords[] = {"-t", "-s", "-l", "-p", "-wN1"};
    for (int bit = 0; bit < 5; ++bit) {
        if (options & (1 << bit))
            arguments.push_back(optionWords[bit]);
    }
    arguments.push_back("input.sch");
    writeFile("input.sch", data, size);
    if (runDovla(arguments) == 0)
        checkWholeReport("report.net", options & 1);
    return 0;
}
