#pragma once

#include <string>
#include <vector>

namespace dovla::sheettool {

// Writes a command's text to the named file, or to the standard output when
// the name is empty or "-". A file that is one of the command's inputs is
// refused before anything is written. False, with the message written,
// when the text could not be written whole.
bool writeCommandOutput(const std::string& name, const std::string& text,
                        const std::vector<std::string>& inputs);

} // namespace dovla::sheettool
