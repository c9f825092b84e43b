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
    std::string data = view::pageData(design, model::findingsOf(design), design.sheetPath);
    const std::string title = design.sheetPath;
    const std::vector<std::string> inputs = inputsOf(design);
    // The page is made of the data alone, and the design's memory is
    // needed for its copy of the data.
    design = model::Design();
    return writeCommandOutput(arguments.output, view::page(title, data), inputs) ? exitClean
                                                                                 : exitTrouble;
}

} // namespace dovla::sheettool
