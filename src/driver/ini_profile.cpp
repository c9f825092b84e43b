#include "driver/ini_profile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/open_file.h"

namespace dovla {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A name or value as it streams by: leading blanks dropped, the rest kept
// up to a limit, and the length up to its last non-blank character counted
// in full, so that trailing blanks are trimmed however long the line.
class Field {
  public:
    explicit Field(std::size_t limit) : limit_(limit) { kept_.reserve(limit); }

    void clear() {
        kept_.clear();
        count_ = 0;
        trimmed_ = 0;
    }
    void add(char c) {
        if (count_ == 0 && isBlank(c))
            return;
        if (kept_.size() < limit_)
            kept_ += c;
        ++count_;
        if (!isBlank(c)) {
            trimmed_ = count_;
            last_ = c;
        }
    }

    std::size_t trimmedLength() const { return trimmed_; }

    // The whole trimmed field, when it fits the limit.
    bool equalsIgnoringCase(std::string_view name) const {
        if (trimmed_ != name.size() || trimmed_ > kept_.size())
            return false;
        for (std::size_t i = 0; i < trimmed_; ++i) {
            if (upper(kept_[i]) != upper(name[i]))
                return false;
        }
        return true;
    }

    // The trimmed field without one pair of quotes around it, cut to the
    // limit.
    std::string_view unquoted() const {
        std::size_t begin = 0;
        std::size_t end = trimmed_;
        if (trimmed_ >= 2 && (kept_[0] == '"' || kept_[0] == '\'') && last_ == kept_[0]) {
            begin = 1;
            end = trimmed_ - 1;
        }
        if (end > kept_.size())
            end = kept_.size();
        return std::string_view(kept_).substr(begin, end - begin);
    }

  private:
    std::size_t limit_;
    std::string kept_;
    std::size_t count_ = 0;
    std::size_t trimmed_ = 0;
    char last_ = '\0';
};

// Looks for the value of a key in the first section of a name, one
// character at a time.
class ValueSearch {
  public:
    ValueSearch(std::string_view section, std::string_view key, std::size_t room)
        : section_(section), key_(key), name_(std::max(section.size(), key.size()) + 1),
          value_(room + 1) {}

    // False once the search is over.
    bool take(char c) {
        if (isLineEnd(c)) {
            endLine();
            return state_ != Over;
        }
        switch (line_) {
        case LineStart:
            if (isBlank(c))
                break;
            name_.clear();
            if (c == '[') {
                line_ = SectionName;
            } else if (c == ';' || state_ != Inside) {
                // Comments, and keys outside the section, name nothing.
                line_ = Ignored;
            } else {
                line_ = KeyName;
                name_.add(c);
            }
            break;
        case SectionName:
            if (c != ']') {
                name_.add(c);
                break;
            }
            if (state_ == Inside)
                state_ = Over;
            else if (name_.equalsIgnoringCase(section_))
                state_ = Inside;
            line_ = Ignored;
            break;
        case KeyName:
            if (c != '=') {
                name_.add(c);
                // A name already longer than the key's can only grow.
                if (name_.trimmedLength() > key_.size())
                    line_ = Ignored;
                break;
            }
            if (state_ == Inside && name_.equalsIgnoringCase(key_)) {
                value_.clear();
                line_ = Value;
            } else {
                line_ = Ignored;
            }
            break;
        case Value:
            value_.add(c);
            break;
        case Ignored:
            break;
        }
        return state_ != Over;
    }

    // The end of the text ends its last line.
    void finish() { endLine(); }
    // Whether the rest of the line is of no interest.
    bool skippingLine() const { return line_ == Ignored; }

    // The value, when the key was found.
    bool found() const { return found_; }
    std::string_view value() const { return value_.unquoted(); }

  private:
    enum State { Before, Inside, Over };
    enum Line { LineStart, SectionName, KeyName, Value, Ignored };

    void endLine() {
        if (line_ == Value) {
            found_ = true;
            state_ = Over;
        }
        line_ = LineStart;
    }

    std::string_view section_;
    std::string_view key_;
    Field name_;
    Field value_;
    State state_ = Before;
    Line line_ = LineStart;
    bool found_ = false;
};

// Turns the bytes of a text into the characters the search reads: a UTF-8
// byte-order mark is dropped, and UTF-16 (known by its mark) becomes UTF-8.
class TextDecoder {
  public:
    explicit TextDecoder(ValueSearch& search) : search_(search) {}

    // False once the search is over.
    bool feed(const unsigned char* bytes, std::size_t size) {
        std::size_t i = 0;
        while (i < size) {
            // Lines of no interest are passed over whole, however long.
            if (encoding_ == Bytes && search_.skippingLine()) {
                i = lineEnd(bytes, i, size);
                if (i == size)
                    break;
            }
            if (!byte(bytes[i++]))
                return false;
        }
        return true;
    }
    void finish() {
        if (encoding_ == Undecided)
            replay();
        if (highSurrogate_ != 0)
            character(replacement);
        search_.finish();
    }

  private:
    enum Encoding { Undecided, Bytes, Utf16LittleEndian, Utf16BigEndian };
    static constexpr std::uint32_t replacement = 0xFFFD;

    static std::size_t lineEnd(const unsigned char* bytes, std::size_t from, std::size_t size) {
        const void* feed = std::memchr(bytes + from, '\n', size - from);
        std::size_t end = feed != nullptr ? static_cast<const unsigned char*>(feed) - bytes : size;
        const void* ret = std::memchr(bytes + from, '\r', end - from);
        return ret != nullptr ? static_cast<const unsigned char*>(ret) - bytes : end;
    }

    bool byte(unsigned char b) {
        switch (encoding_) {
        case Bytes:
            return search_.take(static_cast<char>(b));
        case Undecided:
            return decide(b);
        default:
            return unitByte(b);
        }
    }

    bool decide(unsigned char b) {
        start_[started_++] = b;
        if (started_ == 2 && start_[0] == 0xFF && start_[1] == 0xFE) {
            encoding_ = Utf16LittleEndian;
        } else if (started_ == 2 && start_[0] == 0xFE && start_[1] == 0xFF) {
            encoding_ = Utf16BigEndian;
        } else if (started_ == 3 && start_[0] == 0xEF && start_[1] == 0xBB && start_[2] == 0xBF) {
            encoding_ = Bytes;
        } else if (!couldBeMark()) {
            return replay();
        }
        return true;
    }
    bool couldBeMark() const {
        static const unsigned char marks[3][3] = {
            {0xFF, 0xFE, 0}, {0xFE, 0xFF, 0}, {0xEF, 0xBB, 0xBF}};
        static const std::size_t lengths[3] = {2, 2, 3};
        for (int m = 0; m < 3; ++m) {
            if (started_ <= lengths[m] && std::memcmp(start_, marks[m], started_) == 0)
                return true;
        }
        return false;
    }
    // The first bytes were no mark: they are text.
    bool replay() {
        encoding_ = Bytes;
        for (std::size_t i = 0; i < started_; ++i) {
            if (!search_.take(static_cast<char>(start_[i])))
                return false;
        }
        return true;
    }

    bool unitByte(unsigned char b) {
        if (!unitHalf_) {
            pending_ = b;
            unitHalf_ = true;
            return true;
        }
        unitHalf_ = false;
        std::uint32_t unit =
            encoding_ == Utf16LittleEndian ? (pending_ | b << 8) : (pending_ << 8 | b);
        if (unit >= 0xDC00 && unit <= 0xDFFF && highSurrogate_ != 0) {
            std::uint32_t code = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00);
            highSurrogate_ = 0;
            return character(code);
        }
        if (highSurrogate_ != 0) {
            highSurrogate_ = 0;
            if (!character(replacement))
                return false;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate_ = unit;
            return true;
        }
        return character(unit >= 0xDC00 && unit <= 0xDFFF ? replacement : unit);
    }

    bool character(std::uint32_t code) {
        char utf8[4];
        int length;
        if (code < 0x80) {
            utf8[0] = static_cast<char>(code);
            length = 1;
        } else if (code < 0x800) {
            utf8[0] = static_cast<char>(0xC0 | code >> 6);
            utf8[1] = static_cast<char>(0x80 | (code & 0x3F));
            length = 2;
        } else if (code < 0x10000) {
            utf8[0] = static_cast<char>(0xE0 | code >> 12);
            utf8[1] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
            utf8[2] = static_cast<char>(0x80 | (code & 0x3F));
            length = 3;
        } else {
            utf8[0] = static_cast<char>(0xF0 | code >> 18);
            utf8[1] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
            utf8[2] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
            utf8[3] = static_cast<char>(0x80 | (code & 0x3F));
            length = 4;
        }
        for (int i = 0; i < length; ++i) {
            if (!search_.take(utf8[i]))
                return false;
        }
        return true;
    }

    ValueSearch& search_;
    Encoding encoding_ = Undecided;
    unsigned char start_[3] = {};
    std::size_t started_ = 0;
    bool unitHalf_ = false;
    std::uint32_t pending_ = 0;
    std::uint32_t highSurrogate_ = 0;
};

// How much of a text is read. A configuration is a few short lines: a line
// longer than any name and value can be, or a text larger than any list of
// libraries needs, is damage, or a device that never ends (/dev/zero). The
// reading ends there, with the lines before it, as at a damaged file's end.
class ReadingBound {
  public:
    static constexpr std::size_t maxLine = std::size_t{64} << 10;
    static constexpr std::size_t maxText = std::size_t{16} << 20;

    // How many of the next bytes may be read; fewer than `size` ends the
    // reading, and the line it ends in is not read.
    std::size_t admit(const unsigned char* bytes, std::size_t size) {
        std::size_t allowed = std::min(size, maxText - read_);
        for (std::size_t i = 0; i < allowed; ++i) {
            if (isLineEnd(static_cast<char>(bytes[i]))) {
                line_ = 0;
            } else if (++line_ > maxLine) {
                allowed = i;
                break;
            }
        }
        read_ += allowed;
        return allowed;
    }

  private:
    std::size_t read_ = 0;
    std::size_t line_ = 0;
};

// Feeds a text to the search within the bound; true when it was read to
// its end, so that its last line counts.
bool feedBounded(TextDecoder& decoder, ReadingBound& bound, const unsigned char* bytes,
                 std::size_t size, bool& going) {
    std::size_t admitted = bound.admit(bytes, size);
    going = decoder.feed(bytes, admitted);
    return admitted == size;
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

int answer(const ValueSearch& search, const char* defaultValue, char* buffer, int size) {
    if (search.found() && !search.value().empty())
        return copyOut(search.value(), buffer, size);
    return copyOut(defaultValue, buffer, size);
}

std::size_t roomOf(int size) {
    return size > 0 ? static_cast<std::size_t>(size) : 0;
}

} // namespace

int readProfileString(std::string_view text, const char* section, const char* key,
                      const char* defaultValue, char* buffer, int size) {
    ValueSearch search(section, key, roomOf(size));
    TextDecoder decoder(search);
    ReadingBound bound;
    bool going = true;
    if (feedBounded(decoder, bound, reinterpret_cast<const unsigned char*>(text.data()),
                    text.size(), going) &&
        going)
        decoder.finish();
    return answer(search, defaultValue, buffer, size);
}

int readProfileFile(const char* path, const char* section, const char* key,
                    const char* defaultValue, char* buffer, int size) {
    ValueSearch search(section, key, roomOf(size));
    if (std::FILE* file = openFile(path, "rb")) {
        TextDecoder decoder(search);
        ReadingBound bound;
        unsigned char chunk[1 << 16];
        std::size_t got;
        bool going = true;
        bool whole = true;
        while (going && whole && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            whole = feedBounded(decoder, bound, chunk, got, going);
        if (going && whole)
            decoder.finish();
        std::fclose(file);
    }
    return answer(search, defaultValue, buffer, size);
}

bool isProfileFileCutShort(const char* path) {
    std::FILE* file = openFile(path, "rb");
    if (file == nullptr)
        return false;
    ReadingBound bound;
    unsigned char chunk[1 << 16];
    std::size_t got;
    bool whole = true;
    while (whole && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        whole = bound.admit(chunk, got) == got;
    std::fclose(file);
    return !whole;
}

} // namespace dovla
