// Writes the seed corpora of the fuzz targets into the directory given:
// sheet/ and design/ (an options byte, then a sheet file), library/
// (library files), ini/ (configuration texts) and args/ (argument vectors,
// NUL-separated).

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "fixtures.h"
#include "writers/sheet_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void writeSeeds(const std::filesystem::path& dir, const std::vector<Bytes>& seeds) {
    std::filesystem::create_directories(dir);
    int number = 0;
    for (const Bytes& seed : seeds) {
        char name[32];
        std::snprintf(name, sizeof name, "seed-%03d", number++);
        dovla::writers::saveBytes((dir / name).string(), seed);
    }
}

Bytes text(const std::string& value) {
    return Bytes(value.begin(), value.end());
}

std::vector<Bytes> sheetSeeds() {
    std::vector<Bytes> seeds;
    for (const Bytes& sheet : dovla::fuzz::seedSheets()) {
        Bytes seed{0};
        seed.insert(seed.end(), sheet.begin(), sheet.end());
        seeds.push_back(seed);
    }
    // The fixed sheet with each option on its own and all of them together.
    for (std::uint8_t options : {0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}) {
        Bytes seed{options};
        Bytes sheet = dovla::fuzz::fixedSheet();
        seed.insert(seed.end(), sheet.begin(), sheet.end());
        seeds.push_back(seed);
    }
    return seeds;
}

std::vector<Bytes> iniSeeds() {
    std::string many = "[Library]\n";
    for (int i = 0; i <= 20; ++i)
        many += "LIB" + std::to_string(i) + "=lib" + std::to_string(i) + ".lib\n";
    return {
        text("[Library]\nLIB0=fixed.lib\n"),
        text(many),
        text("; comment\r\n[Other]\r\nLIB0=no.lib\r\n[ library ]\r\n  lib0 = \"a b.lib\"  \r\n"
             "LIB1='c.lib'\r\nLIB0=second.lib\r\n"),
        text("[Library]\nLIB0=a.lib\nLIB1=\nLIB2=c.lib\n[Library]\nLIB1=later.lib\n"),
        text("[Library]\nLIB1=only.lib\n"),
        text("[Library\nLIB0=x\n[Library]\nLIB0=" + std::string(300, 'p') + "\n"),
        text("[Library]\nLIB0=\"\"\nLIB0=''\n=\n[]\n"),
        text(""),
    };
}

std::vector<Bytes> argumentSeeds() {
    using namespace std::string_literals; // the words are separated by NUL bytes
    const std::vector<std::string> vectors = {
        "sheet.sch",
        "",
        "-t\0-l\0sheet.sch"s,
        "-oout.net\0sheet.sch"s,
        "-o\0out.net\0sheet.sch"s,
        "-x\0sheet.sch"s,
        "-?",
        "-:\0sheet.sch"s,
        "-\0sheet.sch"s,
        "-wVCC1\0-wVCC2\0-p\0-s\0sheet.sch"s,
        "-ostdout\0-t\0sheet.sch\0-l"s,
        "-omissing\0missing.sch"s,
        "-osheet.sch\0sheet.sch"s,
        "-o/dev/full\0sheet.sch"s,
        "-ofirst\0-osecond\0TAVEL.INI"s,
        "-w\0-o\0-t"s,
        "-oonly.net",
    };
    std::vector<Bytes> seeds;
    for (const std::string& vector : vectors)
        seeds.push_back(text(vector));
    return seeds;
}

} // namespace

std::vector<Bytes> waiverSeeds() {
    return {
        text("# accepted\nlonely-pin U1.6  # NC\nsingle-pin-net U1.3\n"),
        text("\xEF\xBB\xBFtwo-names \"DATA IN\" DIN\r\npower-short GND VCC # why\r\n"),
        text("two-names \"#\\\"\\\\\\x0A\\xE9\" N#1\nbad-block U2 7400 \"block 5\"\n"),
        text("unused-blocks U1\nname-used-once \"\"\nopen-wire-end @1:300,90\n"),
    };
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus <directory>\n");
        return 2;
    }
    try {
        const std::filesystem::path dir = argv[1];
        writeSeeds(dir / "sheet", sheetSeeds());
        writeSeeds(dir / "design", sheetSeeds());
        writeSeeds(dir / "library", dovla::fuzz::seedLibraries());
        writeSeeds(dir / "ini", iniSeeds());
        writeSeeds(dir / "args", argumentSeeds());
        writeSeeds(dir / "waivers", waiverSeeds());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_corpus: %s\n", error.what());
        return 1;
    }
    return 0;
}
