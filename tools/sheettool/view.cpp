#include "view.h"

#include "command_output.h"
#include "design_arguments.h"
#include "findings.h"
#include "sheettool.h"
#include "view/page.h"
#include "view/page_data.h"

namespace dovla::sheettool {

int viewCommand(int argc, char** argv) {
    DesignArguments arguments;
    CLI::App parser("One HTML page that draws every sheet, with its nets, parts and findings to "
                    "choose from.",
                    "sheettool view");
    addSheetArgument(parser, arguments);
    addDesignOptions(parser, arguments, AcceptOutput | AcceptNoLibraries);
    int status = exitClean;
    if (!parseCommand(parser, argc, argv, status))
        return status;
    model::Design design;
    if (!readOneDesign(arguments, design))
        return exitTrouble;
    const std::vector<model::Finding> findings = model::findingsOf(design);
    // The page is written as its data is made: a large design's data runs
    // to tens of megabytes.
    auto write = [&](std::FILE* file) {
        return view::writePage(file, design.sheetPath, [&](const view::HandOn& handOn) {
            return view::pageData(design, findings, design.sheetPath, view::PageUse::View, handOn);
        });
    };
    return writeCommandOutput(arguments.output, write, inputsOf(design)) ? exitClean : exitTrouble;
}

} // namespace dovla::sheettool
