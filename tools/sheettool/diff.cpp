#include "diff.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "command_output.h"
#include "design_arguments.h"
#include "design_diff.h"
#include "driver/platform.h"
#include "sheettool.h"

namespace dovla::sheettool {

namespace {

// Where no configuration is named and the current folder has no TAVEL.INI,
// the one beside a sheet file: this side's, else the other's. git difftool
// runs in the top folder of the work tree and hands over the old revision
// as a file of its own, the new one as the work tree's file; the TAVEL.INI
// beside that is the design's. Empty when there is none, so that the
// search goes on as dovla32's does.
std::string configurationBeside(const std::vector<std::string>& sheets, int side) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(platform::configPathInCurrentDirectory(), error))
        return "";
    for (int candidate : {side, 1 - side}) {
        fs::path beside = fs::path(sheets[candidate]).parent_path() / "TAVEL.INI";
        if (fs::exists(beside, error))
            return beside.string();
    }
    return "";
}

} // namespace

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
        ->type_name("FILE");
    parser.add_option("--new-config", configs[1], "the new revision's TAVEL.INI")
        ->type_name("FILE");
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
        if (options.configuration.empty())
            options.configuration = configurationBeside(arguments.sheets, side);
        if (!loadCommandDesign(arguments.sheets[side], options, designs[side]))
            return exitTrouble;
        // Without libraries no part has pins, and every revision would
        // look like every other: that is no comparison.
        if (!configurationFound(designs[side]))
            return trouble("can't find TAVEL.INI for " + arguments.sheets[side] +
                           " (name one with --config)");
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
