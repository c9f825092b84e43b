#pragma once

namespace dovla::sheettool {

// sheettool view SHEET [-p] [-w<name>] [-s] [-o PAGE.html]: one HTML page
// that draws every sheet as dovla32 connects it, with its nets, parts and
// check's findings to choose from; a chosen net is lit on every sheet.
// The page holds everything it needs and fetches nothing.
int viewCommand(int argc, char** argv);

} // namespace dovla::sheettool
