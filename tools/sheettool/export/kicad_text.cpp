#include "export/kicad_text.h"

#include <charconv>
#include <cstdio>

#include <nlohmann/json.hpp>

namespace dovla::sheettool::kicad {

std::string mm(std::int64_t iu) {
    char text[32];
    char* end = text;
    if (iu < 0)
        *end++ = '-';
    std::uint64_t magnitude = iu < 0 ? 0 - static_cast<std::uint64_t>(iu) : iu;
    end = std::to_chars(end, text + sizeof text, magnitude / 10000).ptr;
    // Four places at most, without the zeros that end them.
    if (std::uint64_t fraction = magnitude % 10000; fraction != 0) {
        *end++ = '.';
        for (std::uint64_t place = 1000; fraction != 0; place /= 10) {
            *end++ = static_cast<char>('0' + fraction / place);
            fraction %= place;
        }
    }
    return std::string(text, end);
}

std::string utf8Text(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += '?';
        } else if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

std::string netText(std::string_view bytes) {
    std::string out = utf8Text(bytes);
    for (char& c : out) {
        if (c == '[' || c == '{')
            c = '(';
        else if (c == ']' || c == '}')
            c = ')';
        else if (c == ' ')
            c = '_';
    }
    return out;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

std::string uuidOf(std::string_view text) {
    // Two 64-bit FNV-1a hashes with different bases, shaped as a version 8
    // UUID (the form for identifiers made by one's own rule).
    std::uint64_t a = 0xcbf29ce484222325ull;
    std::uint64_t b = 0x84222325cbf29ce4ull;
    for (char c : text) {
        a = (a ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        b = (b ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        b ^= b >> 29;
    }
    char out[40];
    std::snprintf(out, sizeof out, "%08x-%04x-8%03x-%04x-%012llx", static_cast<unsigned>(a >> 32),
                  static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFF),
                  static_cast<unsigned>(0x8000 | ((b >> 48) & 0x3FFF)),
                  static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
    return out;
}

std::string jsonText(std::string_view text) {
    return nlohmann::json(std::string(text))
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace dovla::sheettool::kicad
