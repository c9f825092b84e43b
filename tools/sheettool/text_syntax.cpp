#include "text_syntax.h"

#include <cstdio>

namespace dovla::sheettool {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool isKeyChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

TextLine splitLine(const std::string& text, int number) {
    TextLine line;
    line.number = number;
    std::size_t at = 0;
    auto column = [&](std::size_t index) { return static_cast<int>(index) + 1; };
    while (at < text.size() && isBlank(text[at]))
        ++at;
    if (at == text.size() || text[at] == '#')
        return line;
    line.column = column(at);
    while (at < text.size() && !isBlank(text[at]) && text[at] != '#') {
        if (!isKeyChar(text[at]))
            throw TextError(number, column(at), "bad character in the keyword");
        line.keyword += text[at++];
    }
    for (;;) {
        while (at < text.size() && isBlank(text[at]))
            ++at;
        if (at == text.size() || text[at] == '#')
            return line;
        TextField field;
        field.column = column(at);
        while (at < text.size() && isKeyChar(text[at]))
            field.key += text[at++];
        if (field.key.empty() || at == text.size() || text[at] != '=')
            throw TextError(number, field.column, "expected a field: key=value");
        ++at;
        field.valueColumn = column(at);
        if (at < text.size() && text[at] == '"') {
            std::size_t start = at++;
            while (at < text.size() && text[at] != '"') {
                if (text[at] == '\\' && at + 1 < text.size())
                    ++at;
                ++at;
            }
            if (at == text.size())
                throw TextError(number, column(start), "the string has no closing quote");
            ++at;
            if (at < text.size() && !isBlank(text[at]) && text[at] != '#')
                throw TextError(number, column(at), "expected a blank after the string");
            field.value = text.substr(start, at - start);
        } else {
            std::size_t start = at;
            while (at < text.size() && !isBlank(text[at]) && text[at] != '#')
                ++at;
            field.value = text.substr(start, at - start);
        }
        for (const TextField& other : line.fields) {
            if (other.key == field.key)
                throw TextError(number, field.column, "field '" + field.key + "' given twice");
        }
        line.fields.push_back(field);
    }
}

} // namespace

std::vector<TextLine> splitLines(const std::string& text) {
    std::vector<TextLine> lines;
    std::size_t start = 0;
    int number = 1;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        TextLine line = splitLine(text.substr(start, end - start), number);
        if (!line.keyword.empty())
            lines.push_back(std::move(line));
        start = end + 1;
        ++number;
    }
    return lines;
}

std::string quote(const unsigned char* bytes, std::size_t size) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < size; ++i) {
        unsigned char c = bytes[i];
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            quoted += static_cast<char>(c);
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            quoted += escape;
        }
    }
    return quoted + '"';
}

std::string quote(const std::string& bytes) {
    return quote(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string hex(const unsigned char* bytes, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::size_t withoutTrailingZeros(const unsigned char* bytes, std::size_t size) {
    while (size > 0 && bytes[size - 1] == 0)
        --size;
    return size;
}

std::string bitNames(unsigned value, const std::vector<NamedBit>& names) {
    std::string text;
    for (const NamedBit& bit : names) {
        if (value & bit.value) {
            text += text.empty() ? "" : "+";
            text += bit.name;
            value &= ~bit.value;
        }
    }
    if (value != 0) {
        char number[16];
        std::snprintf(number, sizeof number, "0x%02x", value);
        text += text.empty() ? "" : "+";
        text += number;
    }
    return text.empty() ? "0" : text;
}

std::int64_t parseInteger(const std::string& text, int line, int column, std::int64_t min,
                          std::int64_t max) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && text[at] == '-') {
        negative = true;
        ++at;
    }
    int base = 10;
    if (text.size() - at > 2 && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at == text.size())
        throw TextError(line, column, "expected a number");
    std::int64_t value = 0;
    const std::int64_t limit = std::int64_t{1} << 40;
    for (; at < text.size(); ++at) {
        int digit = base == 16                             ? hexDigit(text[at])
                    : (text[at] >= '0' && text[at] <= '9') ? text[at] - '0'
                                                           : -1;
        if (digit < 0)
            throw TextError(line, column + static_cast<int>(at), "expected a number");
        value = value * base + digit;
        if (value > limit)
            value = limit;
    }
    if (negative)
        value = -value;
    if (value < min || value > max)
        throw TextError(line, column,
                        "number out of range (" + std::to_string(min) + " to " +
                            std::to_string(max) + ")");
    return value;
}

std::string parseQuoted(const std::string& text, int line, int column) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        throw TextError(line, column, "expected a quoted string");
    std::string bytes;
    for (std::size_t at = 1; at + 1 < text.size(); ++at) {
        char c = text[at];
        if (c != '\\') {
            bytes += c;
            continue;
        }
        int escapeColumn = column + static_cast<int>(at);
        char next = at + 2 < text.size() ? text[at + 1] : '\0';
        if (next == '\\' || next == '"') {
            bytes += next;
            ++at;
        } else if (next == 'x' && at + 4 < text.size() && hexDigit(text[at + 2]) >= 0 &&
                   hexDigit(text[at + 3]) >= 0) {
            bytes += static_cast<char>(hexDigit(text[at + 2]) << 4 | hexDigit(text[at + 3]));
            at += 3;
        } else {
            throw TextError(line, escapeColumn, "bad escape: use \\\\, \\\" or \\xHH");
        }
    }
    return bytes;
}

std::string parseHex(const std::string& text, int line, int column) {
    std::string bytes;
    for (std::size_t at = 0; at < text.size(); at += 2) {
        int high = hexDigit(text[at]);
        if (high < 0)
            throw TextError(line, column + static_cast<int>(at), "expected hex digits");
        if (at + 1 == text.size())
            throw TextError(line, column + static_cast<int>(at), "odd number of hex digits");
        int low = hexDigit(text[at + 1]);
        if (low < 0)
            throw TextError(line, column + static_cast<int>(at) + 1, "expected hex digits");
        bytes += static_cast<char>(high << 4 | low);
    }
    return bytes;
}

FieldReader::FieldReader(const TextLine& line, const char* what,
                         std::initializer_list<const char*> keys)
    : line_(line), what_(what) {
    for (const TextField& field : line.fields) {
        bool known = false;
        for (const char* key : keys)
            known = known || field.key == key;
        if (!known)
            throw TextError(line.number, field.column, what_ + " has no field '" + field.key + "'");
    }
}

const TextField* FieldReader::find(const char* key) const {
    for (const TextField& field : line_.fields) {
        if (field.key == key)
            return &field;
    }
    return nullptr;
}

bool FieldReader::has(const char* key) const {
    return find(key) != nullptr;
}

int FieldReader::columnOf(const char* key) const {
    const TextField* field = find(key);
    return field != nullptr ? field->valueColumn : line_.column;
}

const TextField& FieldReader::required(const char* key) {
    const TextField* field = find(key);
    if (field == nullptr)
        failAtKeyword(what_ + " needs the field '" + key + "'");
    return *field;
}

void FieldReader::fail(const char* key, const std::string& message) const {
    throw TextError(line_.number, columnOf(key), message);
}

void FieldReader::failAtKeyword(const std::string& message) const {
    throw TextError(line_.number, line_.column, message);
}

std::int64_t FieldReader::integer(const char* key, std::int64_t min, std::int64_t max,
                                  std::int64_t absent) {
    const TextField* field = find(key);
    if (field == nullptr)
        return absent;
    return parseInteger(field->value, line_.number, field->valueColumn, min, max);
}

std::int64_t FieldReader::requiredInteger(const char* key, std::int64_t min, std::int64_t max) {
    const TextField& field = required(key);
    return parseInteger(field.value, line_.number, field.valueColumn, min, max);
}

void FieldReader::point(const char* key, std::int32_t& x, std::int32_t& y) {
    const TextField& field = required(key);
    std::size_t comma = field.value.find(',');
    if (comma == std::string::npos)
        throw TextError(line_.number, field.valueColumn, "expected a point: x,y");
    x = static_cast<std::int32_t>(
        parseInteger(field.value.substr(0, comma), line_.number, field.valueColumn, -32768, 32767));
    y = static_cast<std::int32_t>(parseInteger(field.value.substr(comma + 1), line_.number,
                                               field.valueColumn + static_cast<int>(comma) + 1,
                                               -32768, 32767));
}

std::string FieldReader::bytes(const char* key, std::size_t maxSize, const std::string& absent) {
    const TextField* field = find(key);
    if (field == nullptr)
        return absent;
    std::string value = parseQuoted(field->value, line_.number, field->valueColumn);
    if (value.size() > maxSize)
        throw TextError(line_.number, field->valueColumn,
                        std::to_string(value.size()) + " bytes do not fit the field of " +
                            std::to_string(maxSize));
    return value;
}

std::string FieldReader::hexBytes(const char* key, std::size_t maxSize) {
    const TextField* field = find(key);
    if (field == nullptr)
        return "";
    std::string value = parseHex(field->value, line_.number, field->valueColumn);
    if (value.size() > maxSize)
        throw TextError(line_.number, field->valueColumn,
                        std::to_string(value.size()) + " bytes do not fit the field of " +
                            std::to_string(maxSize));
    return value;
}

unsigned FieldReader::bits(const char* key, const std::vector<NamedBit>& names, unsigned max) {
    const TextField* field = find(key);
    if (field == nullptr)
        return 0;
    unsigned value = 0;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = field->value.find('+', start);
        if (end == std::string::npos)
            end = field->value.size();
        std::string token = field->value.substr(start, end - start);
        int column = field->valueColumn + static_cast<int>(start);
        bool named = false;
        for (const NamedBit& bit : names) {
            if (token == bit.name) {
                value |= bit.value;
                named = true;
            }
        }
        if (!named) {
            if (token.empty() || !((token[0] >= '0' && token[0] <= '9') || token[0] == '-')) {
                std::string known;
                for (const NamedBit& bit : names)
                    known += std::string(known.empty() ? "" : ", ") + bit.name;
                throw TextError(
                    line_.number, column,
                    "unknown bit '" + token + "'" +
                        (known.empty() ? "; give a number" : " (named bits: " + known + ")"));
            }
            value |= static_cast<unsigned>(parseInteger(token, line_.number, column, 0, max));
        }
        if (end == field->value.size())
            break;
        start = end + 1;
    }
    return value;
}

bool FieldReader::yesNo(const char* key, bool absent) {
    return word(key, {"no", "yes"}, absent ? 1 : 0) == 1;
}

int FieldReader::word(const char* key, const std::vector<const char*>& words, int absent) {
    const TextField* field = find(key);
    if (field == nullptr)
        return absent;
    std::string known;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (field->value == words[i])
            return static_cast<int>(i);
        known += std::string(i == 0 ? "" : ", ") + words[i];
    }
    throw TextError(line_.number, field->valueColumn, "expected one of: " + known);
}

} // namespace dovla::sheettool
