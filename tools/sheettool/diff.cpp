#include "diff.h"

#include <cstdio>
#include <cstdlib>
#include <future>
#include <system_error>
#include <vector>

#include "command_output.h"
#include "configuration_lookup.h"
#include "design_arguments.h"
#include "design_diff.h"
#include "diff/diff_revisions.h"
#include "diff/review_page.h"
#include "library_symbols.h"
#include "sheettool.h"

namespace dovla::sheettool {

namespace {

// The name a report gives a file: under git difftool, the path in the
// repository that git passes along, not the temporary file it wrote.
std::string shownName(const std::string& file) {
    const char* path = std::getenv("BASE");
    if (std::getenv("GIT_DIFF_PATH_TOTAL") != nullptr && path != nullptr && *path != '\0')
        return path;
    return file;
}

// The new revision read on a thread of its own while the old one is read
// here; where no thread is to be had, read when it is asked for.
std::future<model::Design> loadBeside(const std::string& sheet, const model::Options& options) {
    auto load = [sheet, options] { return model::loadDesign(sheet, options); };
    try {
        return std::async(std::launch::async, load);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, load);
    }
}

bool diffSheets(const DesignArguments& arguments, const std::string (&configs)[2],
                model::Design (&designs)[2], model::DesignDiff& diff,
                std::vector<std::string>& inputs) {
    model::Options options[2] = {arguments.options, arguments.options};
    std::string trouble[2];
    for (int side = 0; side < 2; ++side) {
        // --config names both sides' configuration; --old-config and
        // --new-config one side's.
        if (!configs[side].empty())
            options[side].configuration = configs[side];
        // git difftool runs in the top folder of the work tree and hands
        // over the old revision as a file of its own, the new one as the
        // work tree's file: the TAVEL.INI beside that is the design's too.
        // Without libraries no part has pins, and every revision would look
        // like every other: diff takes no --no-libraries.
        trouble[side] = configurationTrouble({arguments.sheets[side], arguments.sheets[1 - side]},
                                             options[side]);
    }
    // Both revisions are read at once; what goes wrong is told in their
    // order, and nothing of the new one after the old one failed.
    if (!trouble[0].empty())
        return refuse(trouble[0]);
    std::future<model::Design> newDesign;
    if (trouble[1].empty())
        newDesign = loadBeside(arguments.sheets[1], options[1]);
    if (!loadCommandDesign(arguments.sheets[0], options[0], designs[0]))
        return false;
    if (!trouble[1].empty())
        return refuse(trouble[1]);
    if (!receiveDesign([&] { return newDesign.get(); }, designs[1]))
        return false;
    for (const model::Design& design : designs) {
        std::vector<std::string> read = inputsOf(design);
        inputs.insert(inputs.end(), read.begin(), read.end());
    }
    diff = model::diffDesigns(designs[0], designs[1]);
    for (const std::string& name : diff.libraryPartsNotFound)
        std::fprintf(stderr, "sheettool: can't find %s\n", name.c_str());
    return true;
}

bool diffLibraryFiles(const DesignArguments& arguments, model::DesignDiff& diff,
                      std::vector<std::string>& inputs) {
    std::vector<model::Symbol> parts[2];
    for (int side = 0; side < 2; ++side) {
        if (!isLibraryFile(arguments.sheets[side]))
            return refuse("diff compares two sheets or two libraries: " + arguments.sheets[side] +
                          " is no library");
        try {
            parts[side] = model::loadLibrarySymbols(arguments.sheets[side]);
        } catch (const FatalError& error) {
            return refuse(messageOf(error));
        }
    }
    inputs = arguments.sheets;
    diff = model::diffLibraries(parts[0], parts[1]);
    return true;
}

} // namespace

int diffCommand(int argc, char** argv) {
    DesignArguments arguments;
    std::string configs[2];
    std::vector<std::string> files;
    bool git = false;
    bool html = false;
    CLI::App parser("What changed in the connectivity from one revision of a design to another, "
                    "or from one revision of a library to another. Exit status 0: no change, 1: "
                    "changes, 2: trouble.",
                    "sheettool diff");
    parser
        .add_option("files", files,
                    "OLD NEW: two sheet files, or two library files; with --git: OLD [NEW] "
                    "[SHEET...]")
        ->required();
    parser.add_flag("--git", git,
                    "compare revisions of a git repository: each sheet (every one by default) "
                    "with the TAVEL.INI and libraries of its revision; NEW defaults to the work "
                    "tree");
    addDesignOptions(parser, arguments, AcceptJson | AcceptOutput);
    parser
        .add_flag("--html", html,
                  "a review page instead of the text report: both revisions drawn, every line "
                  "of the report listed and shown on the drawings")
        ->excludes("--json");
    parser.add_option("--old-config", configs[0], "the old revision's TAVEL.INI")
        ->type_name("FILE")
        ->check(notEmpty());
    parser.add_option("--new-config", configs[1], "the new revision's TAVEL.INI")
        ->type_name("FILE")
        ->check(notEmpty());
    parser.footer("Exit status 0 when nothing changed, 1 when something did, 2 on trouble; see "
                  "sheettool(1).");
    parser.callback([&] {
        if (!git && files.size() != 2)
            throw CLI::ValidationError("diff takes OLD and NEW, or --git OLD [NEW] [SHEET...]");
    });
    int status = exitClean;
    if (!parseCommand(parser, argc, argv, status))
        return status;
    if (git) {
        if (!configs[0].empty() || !configs[1].empty())
            return trouble("--git reads each revision's own TAVEL.INI: --old-config and "
                           "--new-config do not go with it");
        return diffRevisions(files, arguments, html);
    }
    arguments.sheets = files;
    model::DesignDiff diff;
    model::Design designs[2];
    std::vector<std::string> inputs;
    const bool libraries = isLibraryFile(files[0]) || isLibraryFile(files[1]);
    if (libraries && html)
        return trouble("--html draws two revisions of a sheet: library files are compared as "
                       "text or JSON");
    if (libraries ? !diffLibraryFiles(arguments, diff, inputs)
                  : !diffSheets(arguments, configs, designs, diff, inputs))
        return exitTrouble;
    const std::string oldName = shownName(files[0]);
    const std::string newName = shownName(files[1]);
    std::string text;
    if (html) {
        review::ReviewFile file{files[1], oldName, newName, &designs[0], &designs[1], &diff, ""};
        text = review::reviewPage({file}, oldName + " -> " + newName);
    } else if (arguments.json) {
        text = model::diffJson(diff, oldName, newName).dump() + "\n";
    } else if (!diff.empty()) {
        // A header names the files, so that the reports of several files
        // (git difftool over a commit) stay apart.
        text = model::reportLine("diff " + oldName + " " + newName) + model::diffText(diff);
    }
    if (!writeCommandOutput(arguments.output, text, inputs))
        return exitTrouble;
    return diff.empty() ? exitClean : exitFound;
}

} // namespace dovla::sheettool
