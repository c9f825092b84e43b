#include "driver/messages.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace dovla {

const char* programName = nullptr;

namespace {

FatalHandler fatalHandler = exitProcessOnFatal;
std::FILE* messageStream = nullptr;
bool messageStreamSet = false;

std::FILE* messages() {
    return messageStreamSet ? messageStream : stderr;
}

std::string formatMessage(const char* format, std::va_list args) {
    std::va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

void writeMessage(bool withPrefix, const std::string& text) {
    std::FILE* stream = messages();
    if (stream == nullptr)
        return;
    if (withPrefix && programName != nullptr)
        std::fprintf(stream, "%s: ", programName);
    // fwrite, not fputs: "unknown option: %c" may carry a NUL byte.
    std::fwrite(text.data(), 1, text.size(), stream);
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
    std::string text = formatMessage(format, args);
    va_end(args);
    writeMessage(true, text);
    fatalHandler(text.c_str());
    // A handler that returns would let a failed stage go on; never allow it.
    std::exit(1);
}

void warn(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = formatMessage(format, args);
    va_end(args);
    writeMessage(true, text);
}

void notice(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = formatMessage(format, args);
    va_end(args);
    writeMessage(false, text);
}

} // namespace dovla
