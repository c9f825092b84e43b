#pragma once

#include <cstdarg>
#include <cstdio>
#include <exception>

// The three message routines through which every stage reports. All of them
// write to the standard error stream; fatal and warn put "dovla32: " in front.
namespace dovla {

extern const char* programName;

// What fatal throws once its message is written. It unwinds every stage
// back to the entry point, which ends the run with exit status 1; on the
// way every stage gives back what it holds. It takes no memory of its own,
// so that exhausted memory can be reported too. what() is the message
// without the prefix (cut to the buffer; the error stream has it whole).
class FatalError : public std::exception {
  public:
    explicit FatalError(const char* message);
    const char* what() const noexcept override { return message_; }

  private:
    char message_[512];
};

[[noreturn]] void fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
void warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
void notice(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The block a pool handed out, or fatal "can't alloc memory!" when it
// handed out none.
void* requireMemory(void* block);
// fatal "can't alloc memory!".
[[noreturn]] void outOfMemory();

// Where the messages go; the standard error stream unless a test or a fuzz
// target wants them elsewhere (nullptr silences them).
void setMessageStream(std::FILE* stream);

} // namespace dovla
