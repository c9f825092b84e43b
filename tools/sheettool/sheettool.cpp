#include "sheettool.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "check.h"
#include "command_line.h"
#include "command_output.h"
#include "diff.h"
#include "driver/messages.h"
#include "driver/open_file.h"
#include "driver/platform.h"
#include "export.h"
#include "load_design.h"
#include "memory_reserve.h"
#include "nets.h"
#include "text_syntax.h"
#include "view.h"

namespace dovla::sheettool {

std::string messageOf(const FatalError& error) {
    std::string message = error.what();
    if (!message.empty() && message.back() == '\n')
        message.pop_back();
    return message;
}

namespace {

constexpr char usageText[] =
    "usage: sheettool dump <file> [--no-offsets]\n"
    "       sheettool build <text> -o <file>\n"
    "       sheettool check <sheet> [-p] [-w<name>] [-s]\n"
    "                       [--config <TAVEL.INI> | --no-libraries]\n"
    "                       [--json | --sarif] [-o <file>] [--severity <type>=<level>]\n"
    "                       [--fail-on error|warning|info|never] [--waivers <file>]\n"
    "                       [--write-waivers <file>]\n"
    "       sheettool nets <sheet> [-p] [-w<name>] [-s]\n"
    "                      [--config <TAVEL.INI> | --no-libraries] [--json] [-o <file>]\n"
    "       sheettool diff <old> <new> [-p] [-w<name>] [-s] [--json] [-o <file>]\n"
    "                      [--config <TAVEL.INI>] [--old-config <TAVEL.INI>]\n"
    "                      [--new-config <TAVEL.INI>]\n"
    "       sheettool view <sheet> [-p] [-w<name>] [-s]\n"
    "                      [--config <TAVEL.INI> | --no-libraries] [-o <page.html>]\n"
    "       sheettool export kicad-project|kicad-netlist|bom-csv <sheet> [-p] [-w<name>]\n"
    "                      [-s] [--config <TAVEL.INI> | --no-libraries]\n"
    "                      [-o <folder or file>]\n"
    "       sheettool <command> --help: the command's options\n";

} // namespace

int usage() {
    std::fputs(usageText, stderr);
    return exitTrouble;
}

int trouble(const std::string& message) {
    std::fprintf(stderr, "sheettool: %s\n", message.c_str());
    return exitTrouble;
}

bool refuse(const std::string& message) {
    trouble(message);
    return false;
}

bool loadCommandDesign(const std::string& sheetPath, const model::Options& options,
                       model::Design& design, model::Content content) {
    return receiveDesign([&] { return model::loadDesign(sheetPath, options, content); }, design);
}

bool receiveDesign(const std::function<model::Design()>& load, model::Design& design) {
    try {
        design = load();
    } catch (const FatalError& error) {
        return refuse(messageOf(error));
    }
    // What was read still counts, as it does for dovla32; the user learns
    // that it was not all.
    if (design.configurationCutShort)
        trouble("configuration cut short: " + design.configuration);
    if (design.wirePiecesLeftOut > 0)
        trouble(design.sheetPath +
                ": overlapping wires: " + std::to_string(design.wirePiecesLeftOut) +
                " pieces alike to others left out of the wires listed; every net is whole");
    return true;
}

std::vector<std::string> inputsOf(const model::Design& design) {
    std::vector<std::string> inputs = {design.sheetPath, design.configuration};
    inputs.insert(inputs.end(), design.libraries.begin(), design.libraries.end());
    return inputs;
}

bool readText(const std::string& path, std::string& text) {
    std::FILE* file = path == "-" ? stdin : openFile(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    if (file == stdin)
        platform::setBinaryMode(stdin);
    char chunk[1 << 14];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    bool read = !std::ferror(file);
    if (file != stdin)
        std::fclose(file);
    return read;
}

namespace {

void writeOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

bool finishStdout() {
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

int dumpCommand(int argc, char** argv) {
    std::string path;
    bool noOffsets = false;
    CLI::App parser("A sheet or library file as text: one line a record, every field by name.",
                    "sheettool dump");
    parser.add_option("file", path, "the sheet or library file")->required();
    parser.add_flag("--no-offsets", noOffsets,
                    "a library without its offsets and tables, for build to lay it out anew "
                    "(the way to mend a library in a text editor)");
    int status = exitClean;
    if (!parseCommand(parser, argc, argv, status))
        return status;
    std::string out;
    try {
        if (isLibraryFile(path))
            dumpLibrary(path, out, !noOffsets);
        else if (noOffsets)
            return trouble("--no-offsets: " + path +
                           " is no library; a sheet's text has no offsets");
        else
            dumpSheet(path, out);
    } catch (const FatalError& error) {
        writeOut(out);
        std::fflush(stdout);
        return trouble(messageOf(error));
    }
    writeOut(out);
    return finishStdout() ? exitClean : trouble("can't write the text");
}

int buildCommand(int argc, char** argv) {
    std::string textArgument;
    std::string outArgument;
    CLI::App parser("The sheet or library file that a text describes, as dump writes it.",
                    "sheettool build");
    parser.add_option("text", textArgument, "the text (- for the standard input)")->required();
    parser.add_option("-o", outArgument, "the file to write (- for the standard output)")
        ->type_name("FILE")
        ->required()
        ->check(notEmpty());
    int status = exitClean;
    if (!parseCommand(parser, argc, argv, status))
        return status;
    const char* textPath = textArgument.c_str();
    const char* outPath = outArgument.c_str();
    std::string text;
    if (!readText(textPath, text))
        return trouble(std::string("can't open: ") + textPath);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = buildFile(text);
    } catch (const TextError& error) {
        std::string name = std::strcmp(textPath, "-") == 0 ? "<stdin>" : textPath;
        std::fprintf(stderr, "%s:%d:%d: %s\n", name.c_str(), error.line, error.column,
                     error.what());
        return exitTrouble;
    }
    std::vector<std::string> inputs;
    if (std::strcmp(textPath, "-") != 0)
        inputs.push_back(textPath);
    // A sheet or library file on the standard output is bytes, not text.
    if (std::strcmp(outPath, "-") == 0)
        platform::setBinaryMode(stdout);
    std::string_view built(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return writeCommandOutput(outPath, built, inputs) ? exitClean : exitTrouble;
}

} // namespace

std::vector<std::uint8_t> buildFile(const std::string& text) {
    // Editors on Windows may begin a UTF-8 text with a byte-order mark.
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    std::vector<TextLine> lines =
        splitLines(std::string_view(text).substr(0, 3) == byteOrderMark ? text.substr(3) : text);
    if (lines.empty())
        throw TextError(1, 1,
                        std::string("the text is empty; it begins with ") + sheetTextKeyword +
                            " or " + libraryTextKeyword);
    const TextLine& first = lines[0];
    bool sheet = first.keyword == sheetTextKeyword;
    if (!sheet && first.keyword != libraryTextKeyword)
        throw TextError(first.number, first.column,
                        std::string("the text begins with ") + sheetTextKeyword + " or " +
                            libraryTextKeyword);
    if (!first.fields.empty())
        throw TextError(first.number, first.fields[0].column,
                        first.keyword + " stands alone on its line");
    return sheet ? buildSheet(lines) : buildLibrary(lines);
}

int writeInformation(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return finishStdout() ? exitClean : trouble("can't write the output");
}

namespace {

int runCommand(int argc, char** argv) {
    if (argc < 2)
        return usage();
    std::string command = argv[1];
    if (command == "--help" || command == "-h")
        return writeInformation(usageText);
    if (command == "--version")
        return writeInformation("sheettool " SHEETTOOL_VERSION "\n");
    if (command == "dump")
        return dumpCommand(argc - 2, argv + 2);
    if (command == "build")
        return buildCommand(argc - 2, argv + 2);
    if (command == "check")
        return checkCommand(argc - 2, argv + 2);
    if (command == "nets")
        return netsCommand(argc - 2, argv + 2);
    if (command == "diff")
        return diffCommand(argc - 2, argv + 2);
    if (command == "view")
        return viewCommand(argc - 2, argv + 2);
    if (command == "export")
        return exportCommand(argc - 2, argv + 2);
    return usage();
}

} // namespace

int sheettoolMain(int argc, char** argv) {
    // The readers report through dovla32's message routines: silenced, so
    // that their messages come out here in this tool's form.
    setMessageStream(nullptr);
    MemoryReserve reserve;
    try {
        return runCommand(argc, argv);
    } catch (const FatalError& error) {
        // Exhausted memory met where a file was being opened.
        return trouble(messageOf(error));
    } catch (const std::bad_alloc&) {
        // Written without taking memory: there may be none. Whatever output
        // file the command had begun is gone with its temporary file.
        std::fputs("sheettool: can't alloc memory!\n", stderr);
        return exitTrouble;
    }
}

} // namespace dovla::sheettool
