#include <cstring>
#include <new>

#include "driver/messages.h"
#include "driver/net_list_run.h"
#include "driver/open_file.h"
#include "driver/platform.h"
#include "report/excluded_names.h"

namespace dovla {

namespace {

constexpr char title[] = "Tavel Net List Utility";
constexpr char version[] = "1.11";
constexpr char optionString[] = "tlpso:w:";

// The report's buffer: a static one, since one the stream took from the
// heap could fail when memory runs short, and would be smaller.
char outputBuffer[1 << 16];

// Opening the output empties it. An output that is one of the files the
// run reads (the sheet, the configuration or a library it names) would be
// destroyed before it is read, so it is refused first, under whatever name
// it is given. Only regular files can lose anything: devices such as
// /dev/null may be read and written at once.
void refuseReadFile(const char* outputName, const char* readName) {
    if (platform::isSameRegularFile(outputName, readName))
        fatal("can't open: %s\n", outputName);
}

std::FILE* openOutput(const char* outputName, const char* sheetName, LibraryList& libraries) {
    if (std::strcmp(outputName, "stdout") == 0)
        return stdout;
    if (sheetName != nullptr)
        refuseReadFile(outputName, sheetName);
    libraries.readLibraryList();
    refuseReadFile(outputName, libraries.configuration().c_str());
    for (int i = 0; i < libraries.libraryCount(); ++i)
        refuseReadFile(outputName, libraries.libraryPath(i));
    std::FILE* file = openFile(outputName, "w");
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

int runProgram(int argc, char* const* argv, NetListRun& run) {
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
    std::FILE* out = openOutput(outputName, sheetName, run.libraries);
    std::setvbuf(out, outputBuffer, _IOFBF, sizeof outputBuffer);
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

} // namespace

int dovlaMain(int argc, char* const* argv, NetListRun& run) {
    programName = "dovla32";
    notice("%s - Version %s\n", title, version);
    try {
        return runProgram(argc, argv, run);
    } catch (const FatalError&) {
        return 1;
    } catch (const std::bad_alloc&) {
        // Memory that the standard containers and strings could not get is
        // exhausted memory like any other.
    }
    // Written once the exception is gone, so that nothing it held is left.
    warn("can't alloc memory!\n");
    return 1;
}

} // namespace dovla
