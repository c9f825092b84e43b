#pragma once

#include <CLI/CLI.hpp>

// The command line of each sheettool command, read by one parser: the
// same errors for every command, and each command's help at
// `sheettool COMMAND --help`.
namespace dovla::sheettool {

// Reads a command's arguments with its parser, named "sheettool COMMAND". False when the run ends
// here, with status set: after the help (exitClean) or after an error in the arguments, its message
// written (exitTrouble).
bool parseCommand(CLI::App& parser, int argc, char** argv, int& status);

// A check that an option's value is not empty.
const CLI::Validator& notEmpty();

} // namespace dovla::sheettool
