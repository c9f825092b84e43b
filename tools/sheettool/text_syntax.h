#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

// The syntax shared by the sheet text and the library text: one item per
// line, a keyword and then fields "key=value", "#" to the end of the line a
// comment. Values are numbers, points "x,y", quoted byte strings, hex byte
// strings and lists of named bits.
namespace dovla::sheettool {

// An error in a text, at a line and a column (both counted from 1).
class TextError : public std::runtime_error {
  public:
    TextError(int line, int column, const std::string& message)
        : std::runtime_error(message), line(line), column(column) {}
    int line;
    int column;
};

struct TextField {
    std::string key;
    std::string value; // as written; quoted strings with their quotes
    int column = 0;    // of the key
    int valueColumn = 0;
};

struct TextLine {
    int number = 0;
    std::string keyword;
    int column = 0;
    std::vector<TextField> fields;
};

// The items of a text, blank and comment lines left out.
std::vector<TextLine> splitLines(const std::string& text);

// A string's bytes in quotes: printable ASCII as it is, backslash and quote
// behind a backslash, every other byte as \xHH.
std::string quote(const std::string& bytes);
std::string quote(const unsigned char* bytes, std::size_t size);
std::string hex(const unsigned char* bytes, std::size_t size);
// The bytes up to the last one that is not zero.
std::size_t withoutTrailingZeros(const unsigned char* bytes, std::size_t size);

// A bit of an attribute byte that has a name.
struct NamedBit {
    unsigned value;
    const char* name;
};
// "0" when no bit is set, else the names of the set bits that have one and
// the other bits as one hex number, joined by "+".
std::string bitNames(unsigned value, const std::vector<NamedBit>& names);

// The fields of one line, taken by key. A field that the item does not have
// is reported at once, every bad value at its column.
class FieldReader {
  public:
    FieldReader(const TextLine& line, const char* what, std::initializer_list<const char*> keys);
    FieldReader(const FieldReader&) = delete;
    FieldReader& operator=(const FieldReader&) = delete;

    bool has(const char* key) const;
    const TextField* find(const char* key) const;
    // The column of a field's value, or of the keyword when it is absent.
    int columnOf(const char* key) const;

    std::int64_t integer(const char* key, std::int64_t min, std::int64_t max, std::int64_t absent);
    std::int64_t requiredInteger(const char* key, std::int64_t min, std::int64_t max);
    void point(const char* key, std::int32_t& x, std::int32_t& y); // required, int16 each
    std::string bytes(const char* key, std::size_t maxSize, const std::string& absent);
    std::string hexBytes(const char* key, std::size_t maxSize); // absent: empty
    unsigned bits(const char* key, const std::vector<NamedBit>& names, unsigned max);
    bool yesNo(const char* key, bool absent);
    // One of the words, as its index.
    int word(const char* key, const std::vector<const char*>& words, int absent);

    [[noreturn]] void fail(const char* key, const std::string& message) const;
    [[noreturn]] void failAtKeyword(const std::string& message) const;

    const TextLine& line() const { return line_; }

  private:
    const TextField& required(const char* key);

    const TextLine& line_;
    std::string what_;
};

// Parsers of single values; they report errors at `column` on `line`.
std::int64_t parseInteger(const std::string& text, int line, int column, std::int64_t min,
                          std::int64_t max);
std::string parseQuoted(const std::string& text, int line, int column);
std::string parseHex(const std::string& text, int line, int column);

} // namespace dovla::sheettool
