#pragma once

#include <string>

// Exhausted memory in sheettool. The JSON library cannot be unwound through
// a failed allocation everywhere (its values free their children through a
// list they allocate), so running out is not left to exceptions alone:
// from before main (the static initializers of the libraries) until the
// command's MemoryReserve ends, the first failed allocation gives back a
// reserve kept for the purpose and is tried again, so that the command can
// finish with what it has; the next ends the command with "can't alloc
// memory!" and exit status 2, removing the temporary output files it was
// writing, so that the files they were to replace stay as they were.
namespace dovla::sheettool {

class MemoryReserve {
  public:
    MemoryReserve();
    ~MemoryReserve();
    MemoryReserve(const MemoryReserve&) = delete;
    MemoryReserve& operator=(const MemoryReserve&) = delete;
};

// A temporary output file to remove should memory run out, for as long as
// this lives; the name must live as long. Several may be pending at once.
class PendingOutput {
  public:
    explicit PendingOutput(const std::string& name);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

  private:
    friend void removePendingOutputs();
    const std::string& name_;
    PendingOutput* previous_;
    PendingOutput* next_ = nullptr;
};

} // namespace dovla::sheettool
