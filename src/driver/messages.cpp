#include "driver/messages.h"

#include <cstdio>
#include <cstdlib>

namespace dovla {

const char* programName = nullptr;

namespace {

FatalHandler fatalHandler = exitProcessOnFatal;
std::FILE* messageStream = nullptr;
bool messageStreamSet = false;

std::FILE* messages() {
    return messageStreamSet ? messageStream : stderr;
}

// Messages are written straight to the stream, without taking memory: the
// one that reports exhausted memory must get out too.
void writeMessage(bool withPrefix, const char* format, std::va_list args) {
    std::FILE* stream = messages();
    if (stream == nullptr)
        return;
    if (withPrefix && programName != nullptr)
        std::fprintf(stream, "%s: ", programName);
    std::vfprintf(stream, format, args);
    std::fflush(stream);
}

} // namespace

void setFatalHandler(FatalHandler handler) {
    fatalHandler = handler;
}

void setMessageStream(std::FILE* stream) {
    messageStream = stream;
    messageStreamSet = true;
}

void exitProcessOnFatal(const char*) {
    // exit() flushes and closes every open stream, so report text written
    // before the error stays in the output, and it runs the destructors of
    // the process-wide objects, which give every pooled block back.
    std::exit(1);
}

void throwOnFatal(const char* message) {
    throw FatalError(message);
}

void fatal(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    writeMessage(true, format, args);
    va_end(args);
    // The handler gets the message text too (cut to the buffer; the stream
    // has it whole).
    char text[1024];
    std::vsnprintf(text, sizeof text, format, again);
    va_end(again);
    fatalHandler(text);
    // A handler that returns would let a failed stage go on; never allow it.
    std::exit(1);
}

void warn(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    writeMessage(true, format, args);
    va_end(args);
}

void notice(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    writeMessage(false, format, args);
    va_end(args);
}

void* requireMemory(void* block) {
    if (block == nullptr)
        fatal("can't alloc memory!\n");
    return block;
}

} // namespace dovla
