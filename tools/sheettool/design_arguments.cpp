#include "design_arguments.h"

#include <cstdio>
#include <cstring>

#include "sheettool.h"

namespace dovla::sheettool {

bool parseDesignArguments(int argc, char** argv, int flags, DesignArguments& arguments) {
    bool outputGiven = false;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        if (argument[0] != '-' || std::strcmp(argument, "-") == 0) {
            arguments.sheets.push_back(argument);
        } else if (std::strcmp(argument, "-p") == 0) {
            arguments.options.implicitPowerNames = false;
        } else if (std::strcmp(argument, "-s") == 0) {
            arguments.options.scanStep = 1;
        } else if (argument[1] == 'w') {
            if (argument[2] == '\0')
                return refuse("no option argument: w");
            arguments.options.powerNames.push_back(argument + 2);
        } else if (std::strcmp(argument, "--config") == 0) {
            if (i + 1 == argc)
                return refuse("no option argument: --config");
            arguments.options.configuration = argv[++i];
        } else if ((flags & AcceptJson) != 0 && std::strcmp(argument, "--json") == 0) {
            arguments.json = true;
        } else if ((flags & AcceptOutput) != 0 && argument[1] == 'o' && !outputGiven) {
            if (argument[2] != '\0')
                arguments.output = argument + 2;
            else if (i + 1 < argc)
                arguments.output = argv[++i];
            else
                return refuse("no option argument: o");
            outputGiven = true;
        } else {
            return refuse(std::string("unknown option: ") + argument);
        }
    }
    return true;
}

bool readOneDesign(int argc, char** argv, int flags, DesignArguments& arguments,
                   model::Design& design) {
    if (!parseDesignArguments(argc, argv, flags, arguments) || arguments.sheets.size() != 1) {
        usage();
        return false;
    }
    return loadCommandDesign(arguments.sheets[0], arguments.options, design);
}

} // namespace dovla::sheettool
