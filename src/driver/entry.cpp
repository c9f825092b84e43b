#include <cstring>

#include "driver/messages.h"
#include "driver/net_list_run.h"
#include "driver/platform.h"
#include "report/excluded_names.h"

namespace dovla {

namespace {

constexpr char title[] = "Tavel Net List Utility";
constexpr char version[] = "1.11";
constexpr char optionString[] = "tlpso:w:";
constexpr std::size_t outputBufferSize = 1 << 16;

std::FILE* openOutput(const char* outputName, const char* sheetName) {
    if (std::strcmp(outputName, "stdout") == 0)
        return stdout;
    // Opening the output empties it; when it is the sheet about to be read,
    // that would destroy the input before a byte of it is read.
    if (sheetName != nullptr && platform::isSameExistingFile(outputName, sheetName))
        fatal("can't open: %s\n", outputName);
    std::FILE* file = std::fopen(outputName, "w");
    if (file == nullptr)
        fatal("can't open: %s\n", outputName);
    return file;
}

// A report that did not reach its file or pipe whole is a failed run, not a
// complete one.
void finishOutput(std::FILE* out) {
    bool written = std::fflush(out) == 0 && !std::ferror(out);
    if (out != stdout)
        written = std::fclose(out) == 0 && written;
    if (!written)
        fatal("file write error!\n");
}

} // namespace

int dovlaMain(int argc, char* const* argv, NetListRun& run) {
    programName = "dovla32";
    notice("%s - Version %s\n", title, version);
    const char* outputName = "stdout";
    int errors = 0;
    OptionParser parser;
    for (int option; (option = parser.getOption(argc, argv, optionString)) != -1;) {
        switch (option) {
        case 't':
            run.options.packageFormat = true;
            break;
        case 'l':
            run.options.longListing = true;
            break;
        case 'p':
            run.excluded.setImplicitPowerNames(false);
            break;
        case 's':
            run.options.scanStep = 1;
            break;
        case 'o':
            outputName = parser.optionArgument;
            break;
        case 'w':
            run.excluded.addExcludedName(parser.optionArgument);
            break;
        default:
            ++errors;
            break;
        }
    }
    const char* sheetName = parser.optionIndex < argc ? argv[parser.optionIndex] : nullptr;
    std::FILE* out = openOutput(outputName, sheetName);
    std::setvbuf(out, nullptr, _IOFBF, outputBufferSize);
    run.options.outputStream = out;
    if (errors != 0 || sheetName == nullptr)
        fatal("usage: %s [-t] [-w<name>] [-l] [-p] [-s] [-o<output>] <sheet>\n", "dovla32");
    run.runNetList(sheetName);
    // finishOutput closes the file even when it fails; the run holds it no
    // longer, so that nobody closes it twice.
    run.options.outputStream = stdout;
    finishOutput(out);
    return 0;
}

} // namespace dovla
