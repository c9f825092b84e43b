#pragma once

namespace dovla::sheettool {

// sheettool diff OLD NEW [-p] [-w<name>] [-s] [--json] [-o FILE]
//                        [--old-config FILE] [--new-config FILE]:
// what changed in the connectivity from one revision of a design to
// another. Exit status 0 when nothing changed, 1 when something did, 2 for
// trouble.
int diffCommand(int argc, char** argv);

} // namespace dovla::sheettool
