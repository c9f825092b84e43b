#pragma once

namespace dovla::sheettool {

// sheettool nets SHEET [-p] [-w<name>] [-s] [--json] [-o FILE]: the nets as
// dovla32 makes them, each with its stable key, its names and its pins with
// their sheet and sheet coordinates; with --json the whole design model.
int netsCommand(int argc, char** argv);

} // namespace dovla::sheettool
