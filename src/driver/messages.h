#pragma once

#include <cstdarg>
#include <cstdio>
#include <stdexcept>

// The three message routines through which every stage reports. All of them
// write to the standard error stream; fatal and warn put "dovla32: " in front.
namespace dovla {

extern const char* programName;

// What fatal does once its message is written. The program ends the process
// with exit status 1; unit tests and fuzz targets install a handler that
// throws FatalError instead, so one process can survive many runs.
using FatalHandler = void (*)(const char* message);
void setFatalHandler(FatalHandler handler);
void exitProcessOnFatal(const char* message);
[[noreturn]] void throwOnFatal(const char* message);

// Thrown by throwOnFatal; what() is the message without the prefix.
class FatalError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
void warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
void notice(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The block a pool handed out, or fatal "can't alloc memory!" when it
// handed out none.
void* requireMemory(void* block);

// Where the messages go; the standard error stream unless a test or a fuzz
// target wants them elsewhere (nullptr silences them).
void setMessageStream(std::FILE* stream);

} // namespace dovla
