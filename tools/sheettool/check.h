#pragma once

namespace dovla::sheettool {

// sheettool check SHEET [-p] [-w<name>] [-s] [--json] [-o FILE]: what the
// design holds that its net list hides, one finding a line with its sheet
// and sheet coordinates. Exit status 0 when nothing is found, 1 when
// something is, 2 for trouble.
int checkCommand(int argc, char** argv);

} // namespace dovla::sheettool
