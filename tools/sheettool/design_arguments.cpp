#include "design_arguments.h"

#include "sheettool.h"

namespace dovla::sheettool {

void addDesignOptions(CLI::App& parser, DesignArguments& arguments, int flags) {
    parser.add_flag_callback(
        "-p", [&arguments] { arguments.options.implicitPowerNames = false; },
        "no implicit power names, as dovla32 -p");
    parser.add_option("-w", arguments.options.powerNames, "a power name, as dovla32 -w<name>")
        ->type_name("NAME")
        ->allow_extra_args(false)
        ->check(notEmpty());
    parser.add_flag_callback(
        "-s", [&arguments] { arguments.options.scanStep = 1; },
        "join at every unit along buses and wires, as dovla32 -s");
    parser
        .add_option("--config", arguments.options.configuration,
                    "the TAVEL.INI to read (relative library paths from its folder)")
        ->type_name("FILE");
    if ((flags & AcceptJson) != 0)
        parser.add_flag("--json", arguments.json, "write JSON (docs/sheettool-json.md)");
    if ((flags & AcceptOutput) != 0)
        parser.add_option("-o", arguments.output, "the file to write (- or none: standard output)")
            ->type_name("FILE");
}

void addSheetArgument(CLI::App& parser, DesignArguments& arguments) {
    parser.add_option("sheet", arguments.sheets, "the sheet file")
        ->type_name("SHEET")
        ->expected(1)
        ->required();
}

bool readOneDesign(const DesignArguments& arguments, model::Design& design) {
    return loadCommandDesign(arguments.sheets[0], arguments.options, design);
}

} // namespace dovla::sheettool
