#pragma once

#include <string>

// Exhausted memory in sheettool. The JSON library cannot be unwound through
// a failed allocation everywhere (its values free their children through a
// list they allocate), so running out is not left to exceptions alone:
// while a MemoryReserve lives, the first failed allocation gives back a
// reserve kept for the purpose and is tried again, so that the command can
// finish with what it has; the next ends the command with "can't alloc
// memory!" and exit status 2, removing the temporary output file it was
// writing, so that the file it was to replace stays as it was.
namespace dovla::sheettool {

class MemoryReserve {
  public:
    MemoryReserve();
    ~MemoryReserve();
    MemoryReserve(const MemoryReserve&) = delete;
    MemoryReserve& operator=(const MemoryReserve&) = delete;
};

// The temporary output file to remove should memory run out; nullptr when
// none is open. The name must live as long as it is set.
void setPendingOutput(const std::string* name);

} // namespace dovla::sheettool
