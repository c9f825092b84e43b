#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dovla::sheettool {

// Writes a command's output to the named file, or to the standard output
// when the name is empty or "-". A file that is one of the command's inputs
// is refused before anything is written.
//
// A regular file (or a new one) is replaced whole or not at all: the output
// goes to a temporary file beside it, which takes the target's place only
// once it is written and closed, so a full disk or a write limit leaves the
// file that was there untouched. Devices and pipes are written directly.
// False, with the message written, when the output could not be written
// whole.
bool writeCommandOutput(const std::string& name, std::string_view bytes,
                        const std::vector<std::string>& inputs);

} // namespace dovla::sheettool
