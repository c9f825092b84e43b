#include "driver/messages.h"

#include <cstdio>

namespace dovla {

const char* programName = nullptr;

namespace {

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

FatalError::FatalError(const char* message) {
    std::snprintf(message_, sizeof message_, "%s", message);
}

void setMessageStream(std::FILE* stream) {
    messageStream = stream;
    messageStreamSet = true;
}

void fatal(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    writeMessage(true, format, args);
    va_end(args);
    char text[512];
    std::vsnprintf(text, sizeof text, format, again);
    va_end(again);
    throw FatalError(text);
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
        outOfMemory();
    return block;
}

void outOfMemory() {
    fatal("can't alloc memory!\n");
}

} // namespace dovla
