#include "command_line.h"

#include <algorithm>
#include <cstdio>

#include "sheettool.h"

namespace dovla::sheettool {

bool parseCommand(CLI::App& parser, int argc, char** argv, int& status) {
    // The same options everywhere: on Windows too, /path is a path.
    parser.allow_windows_style_options(false);
    if (parser.get_footer().empty())
        parser.footer("Exit status 0 when done, 2 on trouble; see sheettool(1).");
    // The parser takes the arguments last first.
    std::vector<std::string> arguments(argv, argv + argc);
    std::reverse(arguments.begin(), arguments.end());
    try {
        parser.parse(arguments);
        return true;
    } catch (const CLI::CallForHelp&) {
        status = writeInformation(parser.help());
    } catch (const CLI::ParseError& error) {
        trouble(error.what());
        std::fprintf(stderr, "See %s --help.\n", parser.get_name().c_str());
        status = exitTrouble;
    }
    return false;
}

const CLI::Validator& notEmpty() {
    static const CLI::Validator validator(
        [](const std::string& value) { return value.empty() ? "names nothing" : ""; }, "", "");
    return validator;
}

} // namespace dovla::sheettool
