#pragma once

#include <string>
#include <vector>

#include "design.h"

namespace dovla::sheettool {

// The arguments of a command that reads designs: the sheet files, the
// options that dovla32 takes (-p, -w<name>, -s), --config FILE (the
// TAVEL.INI to read instead of the one dovla32 would find), and --json and
// -o FILE where the command has them.
struct DesignArguments {
    std::vector<std::string> sheets;
    model::Options options;
    bool json = false;
    std::string output; // empty or "-": the standard output
};

enum DesignArgumentFlags { AcceptJson = 1, AcceptOutput = 2 };

// False, with the message written, when an argument is not one of them.
bool parseDesignArguments(int argc, char** argv, int flags, DesignArguments& arguments);

// The arguments of a command that reads one sheet file, and the design it
// holds. False, with the usage or the reader's message written, when
// either is wanting; the command then ends with exitTrouble.
bool readOneDesign(int argc, char** argv, int flags, DesignArguments& arguments,
                   model::Design& design);

} // namespace dovla::sheettool
