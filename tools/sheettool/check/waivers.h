#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "finding_kinds.h"

// Waivers: findings a team has looked at and accepted, kept in a text file
// beside the sheet. A waiver names a finding by its type and what it is
// about (pins, nets, names, references), never by where it is drawn, so a
// redraw that joins the same things keeps it. The format, one waiver a
// line:
//
//   # a comment line
//   single-pin-net U1.6  # RST is pulled up inside the controller
//   two-names "DATA IN" DIN
//
// A word holding a blank, '"', '#', '\' or a byte outside the printable
// ASCII characters stands in double quotes, with \" \\ and \xHH inside.
namespace dovla::sheettool {

struct Waiver {
    model::FindingKind kind = model::FindingKind::LonelyPin;
    std::vector<std::string> subjects;
    std::string comment;
    int line = 0; // in its file
};

// The waivers of a file's text; throws WaiverError on a line it cannot
// read.
std::vector<Waiver> parseWaivers(std::string_view text);

struct WaiverError {
    int line;
    std::string message;
};

// A waiver as one line of its file, the line feed included.
std::string waiverLine(model::FindingKind kind, const std::vector<std::string>& subjects,
                       const std::string& comment);

} // namespace dovla::sheettool
