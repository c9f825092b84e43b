// A whole run on an arbitrary library file, LIB0, ahead of the fixed library
// as LIB1, with the fixed sheet, which places parts of the names that the
// seed libraries hold.

#include <cstddef>
#include <cstdint>

#include "fixtures.h"
#include "harness.h"

using namespace dovla::fuzz;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setUp(argc, argv);
    writeFile("TAVEL.INI", std::string("[Library]\nLIB0=input.lib\nLIB1=fixed.lib\n"));
    writeFile("fixed.lib", fixedLibrary());
    writeFile("sheet.sch", fixedSheet());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeFile("input.lib", data, size);
    if (runDovla({"-oreport.net", "-l", "sheet.sch"}) == 0)
        checkWholeReport("report.net", false);
    return 0;
}
