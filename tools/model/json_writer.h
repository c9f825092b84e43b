#pragma once

#include <concepts>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "design.h"

namespace dovla::model {

// Writes JSON text straight into a string, as the library's compact dump
// writes it (no blanks, the same escapes), without making a value of the
// document first: the design's JSON runs to tens of megabytes. Commas come
// by themselves; the caller names keys and values in order.
class JsonWriter {
  public:
    // afterValue: out already holds a value of the open object or list.
    explicit JsonWriter(std::string& out, bool afterValue = false)
        : out_(out), comma_(afterValue) {}
    // Hands what it made on to the file as it goes, whenever an object or
    // list closes with a good piece made, so that a document of tens of
    // megabytes never stands whole in memory; out is the piece under way.
    JsonWriter(std::string& out, std::FILE* file) : out_(out), comma_(false), file_(file) {}

    // Hands on the rest to the file; false when a write to it failed.
    bool finish();

    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);
    JsonWriter& key(std::string_view name);

    template <std::integral Number>
    requires(!std::same_as<Number, bool>) JsonWriter& value(Number number) {
        separate();
        out_ += std::to_string(number);
        return *this;
    }
    JsonWriter& value(bool flag);
    JsonWriter& null();
    // Bytes of the files as characters of their codes (see jsonString).
    JsonWriter& bytes(std::string_view text);
    JsonWriter& point(Point at);

    // A key and its value.
    template <std::integral Number>
    requires(!std::same_as<Number, bool>) JsonWriter& number(std::string_view name, Number number) {
        return key(name).value(number);
    }
    JsonWriter& flag(std::string_view name, bool flag) { return key(name).value(flag); }
    JsonWriter& text(std::string_view name, std::string_view text) { return key(name).bytes(text); }
    JsonWriter& point(std::string_view name, Point at) { return key(name).point(at); }

  private:
    void separate();
    void handOn();

    std::string& out_;
    bool comma_;
    std::FILE* file_ = nullptr;
};

// Appends bytes of the files as a JSON string of the characters of their
// codes (see jsonString), as the library writes it.
void appendJsonText(std::string& out, std::string_view bytes);

} // namespace dovla::model
