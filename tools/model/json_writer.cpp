#include "json_writer.h"

#include "design_json.h"

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
    comma_ = true;
    constexpr std::size_t piece = std::size_t{1} << 16;
    if (file_ != nullptr && out_.size() >= piece)
        handOn();
    return *this;
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

JsonWriter& JsonWriter::key(std::string_view name) {
    bytes(name);
    out_ += ':';
    comma_ = false;
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

// Most texts are printable ASCII, which the library writes as it is
// between quotes, a quote or backslash behind a backslash; anything else
// it escapes or encodes, so it does that itself.
void appendJsonText(std::string& out, std::string_view bytes) {
    for (char c : bytes) {
        if (c < 0x20 || c > 0x7E) {
            out += Json(jsonString(std::string(bytes))).dump();
            return;
        }
    }
    out += '"';
    std::size_t plain = 0; // the start of the run not yet copied
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '"' || bytes[i] == '\\') {
            out.append(bytes, plain, i - plain);
            out += '\\';
            plain = i;
        }
    }
    out.append(bytes, plain);
    out += '"';
}

JsonWriter& JsonWriter::bytes(std::string_view text) {
    separate();
    appendJsonText(out_, text);
    return *this;
}

JsonWriter& JsonWriter::point(Point at) {
    return open('[').value(at.x).value(at.y).close(']');
}

} // namespace dovla::model
