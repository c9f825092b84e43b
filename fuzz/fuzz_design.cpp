// sheettool's reading of an arbitrary sheet file, with the fixed library:
// the design model as every command loads it, the findings of check, the
// JSON of nets --json, the page of view, diff of the design against
// itself, and the files of export (whose S-expressions must close every
// list they open). The first byte of the input picks the options (bit 0 -s, bit 1
// -p, bit 2 -wN1); the rest is the sheet file, read as a sheet or library
// file is read by dump. A damaged file may end any of them with the
// readers' FatalError; what they write must be JSON that parses, and a
// design must show no change against itself.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <new>

#include "design_diff.h"
#include "design_json.h"
#include "driver/messages.h"
#include "export/bom_csv.h"
#include "export/kicad_netlist.h"
#include "export/kicad_plan.h"
#include "export/kicad_project.h"
#include "findings.h"
#include "fixtures.h"
#include "harness.h"
#include "load_design.h"
#include "view/page.h"
#include "view/page_data.h"

using namespace dovla;
using namespace dovla::fuzz;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setUp(argc, argv);
    writeFile("TAVEL.INI", std::string("[Library]\nLIB0=fixed.lib\n"));
    writeFile("fixed.lib", fixedLibrary());
    return 0;
}

namespace {

void mustParse(const std::string& text) {
    if (!nlohmann::json::accept(text))
        fuzz::broken("a JSON text that does not parse");
}

// Every list opened is closed, outside quoted texts.
void mustBeBalanced(const std::string& text) {
    long depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth < 0) {
            fuzz::broken("a KiCad list closed that was not open");
        }
    }
    if (depth != 0 || quoted)
        fuzz::broken("a KiCad list or text left open");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t options = 0;
    if (size > 0) {
        options = data[0];
        ++data;
        --size;
    }
    model::Options chosen;
    if (options & 1)
        chosen.scanStep = 1;
    if (options & 2)
        chosen.implicitPowerNames = false;
    if (options & 4)
        chosen.powerNames.push_back("N1");
    writeFile("input.sch", data, size);
    try {
        model::Design design = model::loadDesign("input.sch", chosen);
        std::vector<model::Finding> findings = model::findingsOf(design);
        std::string json;
        model::appendDesignJson(design, findings, json);
        mustParse(json);
        std::string page = sheettool::view::page(
            design.sheetPath, sheettool::view::pageData(design, findings, design.sheetPath));
        const std::string open = "id=\"design\">";
        std::size_t start = page.find(open) + open.size();
        mustParse(page.substr(start, page.find("</script>", start) - start));
        // A design compared with itself changes nothing; parts no library
        // holds are still counted as not compared.
        model::DesignDiff same = model::diffDesigns(design, design);
        same.oldPartsNotCompared = same.newPartsNotCompared = 0;
        if (!same.empty())
            fuzz::broken("a design compared with itself differs");
        sheettool::kicad::Plan plan = sheettool::kicad::planKicad(design);
        for (const auto& [name, text] : sheettool::kicad::projectFiles(design, plan, "input"))
            if (name.find(".kicad_s") != std::string::npos)
                mustBeBalanced(text);
        mustBeBalanced(sheettool::kicad::netlistText(design, plan, "input"));
        sheettool::kicad::bomCsv(design, plan.annotation);
    } catch (const FatalError&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
