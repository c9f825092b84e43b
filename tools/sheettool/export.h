#pragma once

namespace dovla::sheettool {

// sheettool export FORMAT SHEET [-p] [-w<name>] [-s] [--config FILE] [-o OUT]:
// the design for today's tools. kicad-project writes a KiCad 6 project
// into the folder OUT, with the connectivity dovla32 makes; kicad-netlist
// writes KiCad's net list and bom-csv a bill of materials, to OUT or the
// standard output.
int exportCommand(int argc, char** argv);

} // namespace dovla::sheettool
