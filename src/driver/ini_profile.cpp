#include "driver/ini_profile.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace dovla {

namespace {

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'a' && ca <= 'z')
            ca = static_cast<unsigned char>(ca - 'a' + 'A');
        if (cb >= 'a' && cb <= 'z')
            cb = static_cast<unsigned char>(cb - 'a' + 'A');
        if (ca != cb)
            return false;
    }
    return true;
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The value of the key in the first section of the name, if there is one.
bool findValue(std::string_view text, std::string_view section, std::string_view key,
               std::string_view& value) {
    enum { Before, Inside, After } state = Before;
    while (!text.empty() && state != After) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = trimBlanks(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            if (close == std::string_view::npos)
                continue;
            bool matches = equalsIgnoringCase(trimBlanks(line.substr(1, close - 1)), section);
            if (state == Inside)
                state = After;
            else if (matches)
                state = Inside;
            continue;
        }
        if (state != Inside)
            continue;
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (equalsIgnoringCase(trimBlanks(line.substr(0, equals)), key)) {
            value = unquote(trimBlanks(line.substr(equals + 1)));
            return true;
        }
    }
    return false;
}

int copyOut(std::string_view value, char* buffer, int size) {
    if (size <= 0)
        return 0;
    std::size_t room = static_cast<std::size_t>(size - 1);
    std::size_t length = value.size() < room ? value.size() : room;
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

} // namespace

int readProfileString(std::string_view text, const char* section, const char* key,
                      const char* defaultValue, char* buffer, int size) {
    std::string_view value;
    if (findValue(text, section, key, value) && !value.empty())
        return copyOut(value, buffer, size);
    return copyOut(defaultValue, buffer, size);
}

int readProfileFile(const char* path, const char* section, const char* key,
                    const char* defaultValue, char* buffer, int size) {
    std::string text;
    if (std::FILE* file = std::fopen(path, "rb")) {
        char chunk[4096];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            text.append(chunk, got);
        std::fclose(file);
    }
    return readProfileString(text, section, key, defaultValue, buffer, size);
}

} // namespace dovla
