#include "driver/options.h"

#include "driver/messages.h"

namespace dovla {

int OptionParser::getOption(int argc, char* const* argv, const char* optionString) {
    if (optionIndex >= argc)
        return -1;
    const char* argument = argv[optionIndex];
    if (argument[0] != '-')
        return -1;
    const char letter = argument[1];
    // The colons are characters of the option string too; the NUL of a lone
    // "-" is not.
    const char* found = optionString;
    while (*found != '\0' && *found != letter)
        ++found;
    if (*found == '\0') {
        if (letter != '?')
            warn("unknown option: %c\n", letter);
        ++optionIndex;
        return '?';
    }
    if (found[1] == ':') {
        optionArgument = argument + 2;
        if (*optionArgument == '\0') {
            warn("no option argument: %c\n", letter);
            ++optionIndex;
            return '?';
        }
    }
    ++optionIndex;
    return static_cast<unsigned char>(letter);
}

} // namespace dovla
