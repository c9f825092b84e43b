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
    model::Design design;
    if (!readOneDesign(argc, argv, AcceptOutput, arguments, design))
        return exitTrouble;
    std::string data = view::pageData(design, model::findingsOf(design), design.sheetPath);
    return writeCommandOutput(arguments.output, view::page(design.sheetPath, data),
                              inputsOf(design))
               ? exitClean
               : exitTrouble;
}

} // namespace dovla::sheettool
