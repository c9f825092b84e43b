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
// texts, most of them plain, copied a run at a time.
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
    out += '"';
    std::size_t run = 0; // the start of the run not yet copied
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (plainBytes[byte])
            continue;
        out.append(bytes.data() + run, i - run);
        run = i + 1;
        if (byte >= 0x80) {
            out += static_cast<char>(0xC0 | byte >> 6);
            out += static_cast<char>(0x80 | (byte & 0x3F));
            continue;
        }
        out += '\\';
        switch (byte) {
        case '"':
        case '\\':
            out += static_cast<char>(byte);
            break;
        case '\b':
            out += 'b';
            break;
        case '\t':
            out += 't';
            break;
        case '\n':
            out += 'n';
            break;
        case '\f':
            out += 'f';
            break;
        case '\r':
            out += 'r';
            break;
        default:
            out += "u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    out.append(bytes.data() + run, bytes.size() - run);
    out += '"';
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
