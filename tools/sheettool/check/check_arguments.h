#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "finding_kinds.h"

namespace dovla::sheettool {

// How grave each check is taken in a run, and from which level on a
// finding fails it.
struct CheckPolicy {
    // Levels the user set; nullopt turns the check off.
    std::map<model::FindingKind, std::optional<model::Severity>> levels;
    // nullopt: no finding fails the run.
    std::optional<model::Severity> failOn = model::Severity::Error;

    // The check's level in this run; nullopt when it is ignored.
    std::optional<model::Severity> levelOf(model::FindingKind kind) const;
    bool fails(model::Severity severity) const { return failOn && severity <= *failOn; }
};

// The options of check beyond those of every design command:
// --severity TYPE=LEVEL, --fail-on LEVEL, --waivers FILE,
// --write-waivers FILE and --sarif.
struct CheckArguments {
    CheckPolicy policy;
    std::string waivers;
    std::string writeWaivers;
    bool sarif = false;
};

// Adds check's own options to its parser; --sarif excludes the parser's
// --json, which must be there.
void addCheckOptions(CLI::App& parser, CheckArguments& arguments);

} // namespace dovla::sheettool
