// dovlaMain on arbitrary argument vectors: the input split on NUL bytes.
//
// Every file the program opens by name stays in the working directory: an
// -o name has its slashes made underscores (but /dev/null and /dev/full stay
// as they are); the sheet name (the first word that does not begin with
// '-') is kept when it names one of a few known files and otherwise becomes
// the fixed sheet. Output files are removed after the run. The files a run
// reads (the sheet, TAVEL.INI and the library it names) must survive every
// run that reads them: an output that emptied one of them would be a fault
// of the program. (Named as output of a run that reads none of them, a
// file is emptied as asked, and then written again.)

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fixtures.h"
#include "harness.h"

using namespace dovla::fuzz;

namespace {

const std::string sheetName = "sheet.sch";
const std::set<std::string> fixtures = {"TAVEL.INI", "fixed.lib", sheetName};
const std::set<std::string> readableNames = {sheetName, "missing.sch", "TAVEL.INI", "fixed.lib",
                                             "/dev/null"};
// Devices that take any output: /dev/full makes every write fail.
const std::set<std::string> devices = {"/dev/null", "/dev/full"};
constexpr std::size_t maxArguments = 64;
// The fixtures' sizes when they are whole.
std::map<std::string, off_t> fixtureSizes;

off_t sizeOf(const std::string& name) {
    struct stat status;
    return ::stat(name.c_str(), &status) == 0 ? status.st_size : -1;
}

void writeFixtures() {
    writeFile("TAVEL.INI", std::string("[Library]\nLIB0=fixed.lib\n"));
    writeFile("fixed.lib", fixedLibrary());
    writeFile(sheetName, fixedSheet());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setUp(argc, argv);
    writeFixtures();
    for (const std::string& name : fixtures)
        fixtureSizes[name] = sizeOf(name);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments;
    std::string word;
    for (std::size_t i = 0; i < size && arguments.size() < maxArguments; ++i) {
        if (data[i] == '\0') {
            arguments.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[i]);
        }
    }
    if (!word.empty() && arguments.size() < maxArguments)
        arguments.push_back(word);

    std::vector<std::string> outputs;
    std::string input;
    for (std::string& argument : arguments) {
        if (!input.empty())
            break; // the program reads nothing behind the sheet name
        if (argument.empty() || argument[0] != '-') {
            if (readableNames.count(argument) == 0)
                argument = sheetName;
            input = argument;
        } else if (argument.size() > 2 && argument[1] == 'o') {
            std::string name = argument.substr(2);
            if (devices.count(name) != 0)
                continue;
            for (char& c : name) {
                if (c == '/')
                    c = '_';
            }
            argument = "-o" + name;
            if (name != "stdout" && fixtures.count(name) == 0)
                outputs.push_back(name);
        }
    }

    runDovla(arguments);

    for (const std::string& name : outputs)
        ::unlink(name.c_str());
    // A run that read the sheet read the configuration and the library too.
    bool damaged = false;
    for (const auto& [name, size] : fixtureSizes) {
        if (sizeOf(name) == size)
            continue;
        if (input == sheetName)
            broken("the run destroyed " + name + ", which it read");
        damaged = true;
    }
    if (damaged)
        writeFixtures();
    return 0;
}
