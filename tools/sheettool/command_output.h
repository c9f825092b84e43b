#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dovla::sheettool {

// The files a command writes, put in place only once every one of them is
// ready, so that a run that fails on the way (a full disk, exhausted
// memory, a refused file) replaces nothing.
//
// A regular file (or a new one) is replaced whole or not at all: its bytes
// go to a temporary file beside it, made with the target's permissions
// before any byte goes in, which takes the target's place at the commit.
// The target is replaced, not written into: a hard link to it keeps the
// old bytes. Devices, pipes and the standard output are written directly
// at the commit, before any file is replaced.
class CommandOutputs {
  public:
    CommandOutputs();
    ~CommandOutputs();
    CommandOutputs(const CommandOutputs&) = delete;
    CommandOutputs& operator=(const CommandOutputs&) = delete;

    // Prepares one output: the named file, or the standard output when the
    // name is empty or "-". A file that is one of the command's inputs, or
    // one that the user may not write, is refused. The bytes must live
    // until the commit. False, with the message written, when refused or
    // when its temporary file could not be written whole.
    bool add(const std::string& name, std::string_view bytes,
             const std::vector<std::string>& inputs);
    // The same for an output too large to be held whole: the bytes are
    // written by `write` (false when one could not be), which is called
    // once, now for a file, at the commit for what is written directly,
    // and must stay callable until then.
    using Writer = std::function<bool(std::FILE*)>;
    bool add(const std::string& name, Writer write, const std::vector<std::string>& inputs);
    // Writes the direct outputs, then moves every temporary file into
    // place. False, with the message written, when one could not be.
    bool commit();

  private:
    class Pending;
    std::vector<std::unique_ptr<Pending>> pending_;
};

// One output, prepared and committed at once.
bool writeCommandOutput(const std::string& name, std::string_view bytes,
                        const std::vector<std::string>& inputs);
bool writeCommandOutput(const std::string& name, CommandOutputs::Writer write,
                        const std::vector<std::string>& inputs);

} // namespace dovla::sheettool
