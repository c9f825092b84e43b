#pragma once

#include <charconv>
#include <concepts>
#include <cstddef>
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

    // A key the code names, checked as it is compiled to need no escape and
    // to be short, so that it is copied as it is, with its quotes and colon
    // at once: a design's JSON names millions of keys.
    class Key {
      public:
        static constexpr std::size_t longest = 40;
        template <std::size_t N> consteval Key(const char (&name)[N]) : name_(name, N - 1) {
            if (name_.size() > longest)
                throw "a key of the JSON is short";
            for (char c : name_) {
                if (c < 0x20 || c > 0x7E || c == '"' || c == '\\')
                    throw "a key of the JSON needs no escape";
            }
        }
        std::string_view name() const { return name_; }

      private:
        std::string_view name_;
    };

    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);
    JsonWriter& key(Key name);

    template <std::integral Number>
    requires(!std::same_as<Number, bool>) JsonWriter& value(Number number) {
        char text[1 + 24]; // the comma and the digits, added at once
        char* end = text;
        if (comma_)
            *end++ = ',';
        comma_ = true;
        end = std::to_chars(end, text + sizeof text, number).ptr;
        out_.append(text, static_cast<std::size_t>(end - text));
        return *this;
    }
    JsonWriter& value(bool flag);
    JsonWriter& null();
    // Bytes of the files as characters of their codes (see jsonString).
    JsonWriter& bytes(std::string_view text);
    JsonWriter& point(Point at);

    // A key and its value.
    template <std::integral Number>
    requires(!std::same_as<Number, bool>) JsonWriter& number(Key name, Number number) {
        return key(name).value(number);
    }
    JsonWriter& flag(Key name, bool flag) { return key(name).value(flag); }
    JsonWriter& text(Key name, std::string_view text) { return key(name).bytes(text); }
    JsonWriter& point(Key name, Point at) { return key(name).point(at); }

  private:
    void separate();
    void closed();
    void handOn();

    std::string& out_;
    bool comma_;
    std::FILE* file_ = nullptr;
};

// Appends bytes of the files as a JSON string of the characters of their
// codes (see jsonString), as the library writes it.
void appendJsonText(std::string& out, std::string_view bytes);

} // namespace dovla::model
