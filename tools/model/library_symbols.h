#pragma once

#include <string>
#include <vector>

#include "design.h"

namespace dovla {
struct LibPart;
}

// Library parts as the design model describes them.
namespace dovla::model {

// A loaded library part as a Symbol (its library left unset).
Symbol symbolOf(const LibPart& part);

// Every part of one library file, in the file's order. A file the library
// reader refuses ends through fatal with its message.
std::vector<Symbol> loadLibrarySymbols(const std::string& path);

} // namespace dovla::model
