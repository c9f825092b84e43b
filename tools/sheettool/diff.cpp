#include "diff.h"

#include <cstring>
#include <vector>

#include "command_output.h"
#include "design_arguments.h"
#include "design_diff.h"
#include "sheettool.h"

namespace dovla::sheettool {

int diffCommand(int argc, char** argv) {
    // The configuration of each side is taken out first; the rest are the
    // options of any design command.
    std::string configs[2];
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        int side = std::strcmp(argv[i], "--old-config") == 0   ? 0
                   : std::strcmp(argv[i], "--new-config") == 0 ? 1
                                                               : -1;
        if (side < 0) {
            rest.push_back(argv[i]);
        } else if (i + 1 < argc) {
            configs[side] = argv[++i];
        } else {
            trouble(std::string("no option argument: ") + argv[i]);
            return usage();
        }
    }
    DesignArguments arguments;
    if (!parseDesignArguments(static_cast<int>(rest.size()), rest.data(), AcceptJson | AcceptOutput,
                              arguments) ||
        arguments.sheets.size() != 2)
        return usage();
    model::Design designs[2];
    std::vector<std::string> inputs;
    for (int side = 0; side < 2; ++side) {
        model::Options options = arguments.options;
        options.configuration = configs[side];
        if (!loadCommandDesign(arguments.sheets[side], options, designs[side]))
            return exitTrouble;
        std::vector<std::string> read = inputsOf(designs[side]);
        inputs.insert(inputs.end(), read.begin(), read.end());
    }
    model::DesignDiff diff = model::diffDesigns(designs[0], designs[1]);
    std::string text =
        arguments.json
            ? model::diffJson(diff, arguments.sheets[0], arguments.sheets[1]).dump() + "\n"
            : model::diffText(diff);
    if (!writeCommandOutput(arguments.output, text, inputs))
        return exitTrouble;
    return diff.empty() ? exitClean : exitFound;
}

} // namespace dovla::sheettool
