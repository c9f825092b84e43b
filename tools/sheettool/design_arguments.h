#pragma once

#include <string>
#include <vector>

#include "command_line.h"
#include "load_design.h"

namespace dovla::sheettool {

// The arguments of a command that reads designs: the sheet files, the
// options that dovla32 takes (-p, -w<name>, -s), --config FILE (the
// TAVEL.INI to read instead of the one found), and --no-libraries, --json
// and -o FILE where the command has them.
struct DesignArguments {
    std::vector<std::string> sheets;
    model::Options options;
    bool json = false;
    std::string output; // empty or "-": the standard output
};

enum DesignArgumentFlags { AcceptJson = 1, AcceptOutput = 2, AcceptNoLibraries = 4 };

// Adds the options of a design command to its parser; its sheets are
// added by the command.
void addDesignOptions(CLI::App& parser, DesignArguments& arguments, int flags);

// Adds the one sheet file of a command that reads one.
void addSheetArgument(CLI::App& parser, DesignArguments& arguments);

// The design of the command's one sheet, read with the TAVEL.INI found for
// it. False, with the message written, when no TAVEL.INI is found or the
// design cannot be read; the command then ends with exitTrouble.
bool readOneDesign(const DesignArguments& arguments, model::Design& design,
                   model::Content content = model::Content::Everything);

} // namespace dovla::sheettool
