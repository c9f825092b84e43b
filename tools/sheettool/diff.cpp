#include "diff.h"

#include <cstdio>
#include <vector>

#include "command_output.h"
#include "configuration_lookup.h"
#include "design_arguments.h"
#include "design_diff.h"
#include "sheettool.h"

namespace dovla::sheettool {

int diffCommand(int argc, char** argv) {
    DesignArguments arguments;
    std::string configs[2];
    std::string sheets[2];
    CLI::App parser("What changed in the connectivity from one revision of a design to another. "
                    "Exit status 0: no change, 1: changes, 2: trouble.",
                    "sheettool diff");
    parser.add_option("old", sheets[0], "the old revision's sheet file")->required();
    parser.add_option("new", sheets[1], "the new revision's sheet file")->required();
    addDesignOptions(parser, arguments, AcceptJson | AcceptOutput);
    parser.add_option("--old-config", configs[0], "the old revision's TAVEL.INI")
        ->type_name("FILE")
        ->check(notEmpty());
    parser.add_option("--new-config", configs[1], "the new revision's TAVEL.INI")
        ->type_name("FILE")
        ->check(notEmpty());
    parser.footer("Exit status 0 when nothing changed, 1 when something did, 2 on trouble; see "
                  "sheettool(1).");
    int status = exitClean;
    if (!parseCommand(parser, argc, argv, status))
        return status;
    arguments.sheets.assign(std::begin(sheets), std::end(sheets));
    model::Design designs[2];
    std::vector<std::string> inputs;
    for (int side = 0; side < 2; ++side) {
        // --config names both sides' configuration; --old-config and
        // --new-config one side's.
        model::Options options = arguments.options;
        if (!configs[side].empty())
            options.configuration = configs[side];
        // git difftool runs in the top folder of the work tree and hands
        // over the old revision as a file of its own, the new one as the
        // work tree's file: the TAVEL.INI beside that is the design's too.
        // Without libraries no part has pins, and every revision would look
        // like every other: diff takes no --no-libraries.
        if (!chooseConfiguration({arguments.sheets[side], arguments.sheets[1 - side]}, options) ||
            !loadCommandDesign(arguments.sheets[side], options, designs[side]))
            return exitTrouble;
        std::vector<std::string> read = inputsOf(designs[side]);
        inputs.insert(inputs.end(), read.begin(), read.end());
    }
    model::DesignDiff diff = model::diffDesigns(designs[0], designs[1]);
    for (const std::string& name : diff.libraryPartsNotFound)
        std::fprintf(stderr, "sheettool: can't find %s\n", name.c_str());
    std::string text;
    if (arguments.json) {
        text = model::diffJson(diff, arguments.sheets[0], arguments.sheets[1]).dump() + "\n";
    } else if (!diff.empty()) {
        // A header names the files, so that the reports of several files
        // (git difftool over a commit) stay apart.
        text = model::reportLine("diff " + arguments.sheets[0] + " " + arguments.sheets[1]) +
               model::diffText(diff);
    }
    if (!writeCommandOutput(arguments.output, text, inputs))
        return exitTrouble;
    return diff.empty() ? exitClean : exitFound;
}

} // namespace dovla::sheettool
