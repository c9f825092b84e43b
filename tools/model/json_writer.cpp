#include "json_writer.h"

#include <algorithm>
#include <array>

namespace dovla::model {

void JsonWriter::separate() {
    if (comma_)
        out_ += ',';
    comma_ = true;
}

JsonWriter& JsonWriter::open(char bracket) {
    separate();
    out_ += bracket;
    comma_ = false;
    return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
    out_ += bracket;
    closed();
    return *this;
}

void JsonWriter::closed() {
    comma_ = true;
    constexpr std::size_t piece = std::size_t{1} << 16;
    if (file_ != nullptr && out_.size() >= piece)
        handOn();
}

void JsonWriter::handOn() {
    std::fwrite(out_.data(), 1, out_.size(), file_);
    out_.clear();
}

bool JsonWriter::finish() {
    if (file_ == nullptr)
        return true;
    handOn();
    return std::ferror(file_) == 0;
}

JsonWriter& JsonWriter::key(Key name) {
    char text[Key::longest + 4];
    char* end = text;
    if (comma_)
        *end++ = ',';
    *end++ = '"';
    end = std::copy(name.name().begin(), name.name().end(), end);
    *end++ = '"';
    *end++ = ':';
    out_.append(text, static_cast<std::size_t>(end - text));
    comma_ = false; // its value comes next, without a comma
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    separate();
    out_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    separate();
    out_ += "null";
    return *this;
}

// The escapes the library writes in its dump: a quote or backslash behind
// a backslash, the five control bytes that have a letter by it, the rest
// as \u00hh; a byte from 0x80 up is the character of its code (see
// jsonString), two bytes of UTF-8. The design's JSON holds millions of
// texts, each written straight into the room made for it.
namespace {

// The bytes a JSON string holds as they are.
constexpr std::array<bool, 256> plainBytes = [] {
    std::array<bool, 256> plain{};
    for (int byte = 0x20; byte < 0x80; ++byte)
        plain[byte] = byte != '"' && byte != '\\';
    return plain;
}();

} // namespace

void appendJsonText(std::string& out, std::string_view bytes) {
    static constexpr char hex[] = "0123456789abcdef";
    // Room for the most the text can take (six characters a byte, and the
    // quotes) is made at once, the text written into it, and the rest
    // given back: no append for each run or escape.
    const std::size_t start = out.size();
    out.resize(start + 6 * bytes.size() + 2);
    char* end = out.data() + start;
    *end++ = '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (plainBytes[byte]) {
            *end++ = c;
            continue;
        }
        if (byte >= 0x80) {
            *end++ = static_cast<char>(0xC0 | byte >> 6);
            *end++ = static_cast<char>(0x80 | (byte & 0x3F));
            continue;
        }
        *end++ = '\\';
        switch (byte) {
        case '"':
        case '\\':
            *end++ = c;
            break;
        case '\b':
            *end++ = 'b';
            break;
        case '\t':
            *end++ = 't';
            break;
        case '\n':
            *end++ = 'n';
            break;
        case '\f':
            *end++ = 'f';
            break;
        case '\r':
            *end++ = 'r';
            break;
        default:
            *end++ = 'u';
            *end++ = '0';
            *end++ = '0';
            *end++ = hex[byte >> 4];
            *end++ = hex[byte & 0xF];
        }
    }
    *end++ = '"';
    out.resize(static_cast<std::size_t>(end - out.data()));
}

JsonWriter& JsonWriter::bytes(std::string_view text) {
    separate();
    appendJsonText(out_, text);
    return *this;
}

// A point as [x,y], added at once: a design's JSON holds millions.
JsonWriter& JsonWriter::point(Point at) {
    constexpr std::ptrdiff_t widest = 11; // -2147483648
    char text[1 + 1 + widest + 1 + widest + 1];
    char* end = text;
    if (comma_)
        *end++ = ',';
    *end++ = '[';
    end = std::to_chars(end, end + widest, at.x).ptr;
    *end++ = ',';
    end = std::to_chars(end, end + widest, at.y).ptr;
    *end++ = ']';
    out_.append(text, static_cast<std::size_t>(end - text));
    closed();
    return *this;
}

} // namespace dovla::model
