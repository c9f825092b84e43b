#include "design_arguments.h"

#include "configuration_lookup.h"
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
    CLI::Option* config =
        parser
            .add_option("--config", arguments.options.configuration,
                        "the TAVEL.INI to read (relative library paths from its folder); "
                        "without it: the current folder's, else the one beside the sheet, "
                        "else the one beside the program")
            ->type_name("FILE")
            ->check(notEmpty());
    if ((flags & AcceptNoLibraries) != 0)
        parser
            .add_flag("--no-libraries", arguments.options.noLibraries,
                      "read no TAVEL.INI and no library: every part without pins")
            ->excludes(config);
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

bool readOneDesign(const DesignArguments& arguments, model::Design& design,
                   model::Content content) {
    model::Options options = arguments.options;
    return chooseConfiguration(arguments.sheets, options) &&
           loadCommandDesign(arguments.sheets[0], options, design, content);
}

} // namespace dovla::sheettool
