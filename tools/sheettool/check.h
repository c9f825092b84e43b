#pragma once

namespace dovla::sheettool {

// sheettool check SHEET [-p] [-w<name>] [-s] [--json | --sarif] [-o FILE]
// [--severity TYPE=LEVEL] [--fail-on LEVEL] [--waivers FILE]
// [--write-waivers FILE]: what the design holds that its net list hides,
// one finding a line with its sheet, sheet coordinates and level. Exit
// status 1 when a finding at or above the failing level is neither waived
// nor ignored, 0 when none is, 2 for trouble.
int checkCommand(int argc, char** argv);

} // namespace dovla::sheettool
