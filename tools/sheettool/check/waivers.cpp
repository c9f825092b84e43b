#include "waivers.h"

#include "design.h"

namespace dovla::sheettool {

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

bool plain(unsigned char byte) {
    return byte > 0x20 && byte < 0x7F && byte != '"' && byte != '#' && byte != '\\';
}

std::string wordText(const std::string& word) {
    bool quote = word.empty();
    for (unsigned char byte : word)
        quote |= !plain(byte);
    if (!quote)
        return word;
    std::string text = "\"";
    for (unsigned char byte : word) {
        if (byte == '"' || byte == '\\') {
            text += '\\';
            text += static_cast<char>(byte);
        } else if (byte < 0x20 || byte >= 0x7F) {
            text += "\\x";
            text += hexDigits[byte >> 4];
            text += hexDigits[byte & 0xF];
        } else {
            text += static_cast<char>(byte);
        }
    }
    return text + "\"";
}

int hexValue(char digit) {
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    return -1;
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Reads one line into its words and comment.
class LineReader {
  public:
    LineReader(std::string_view line, int number) : line_(line), number_(number) {}

    void read(std::vector<std::string>& words, std::string& comment) {
        while (true) {
            while (at_ < line_.size() && blank(line_[at_]))
                ++at_;
            if (at_ == line_.size())
                return;
            if (line_[at_] == '#') {
                comment = trimmed(line_.substr(at_ + 1));
                return;
            }
            words.push_back(line_[at_] == '"' ? quotedWord() : plainWord());
        }
    }

  private:
    static std::string trimmed(std::string_view text) {
        while (!text.empty() && blank(text.front()))
            text.remove_prefix(1);
        while (!text.empty() && blank(text.back()))
            text.remove_suffix(1);
        return std::string(text);
    }

    std::string plainWord() {
        std::size_t start = at_;
        while (at_ < line_.size() && !blank(line_[at_]) && line_[at_] != '#') {
            if (line_[at_] == '"' || line_[at_] == '\\')
                fail("a word holding '\"' or '\\' stands in double quotes");
            ++at_;
        }
        return std::string(line_.substr(start, at_ - start));
    }

    std::string quotedWord() {
        std::string word;
        ++at_;
        while (true) {
            if (at_ == line_.size())
                fail("the quoted word does not end");
            char c = line_[at_++];
            if (c == '"')
                break;
            if (c != '\\') {
                word += c;
                continue;
            }
            if (at_ < line_.size() && (line_[at_] == '"' || line_[at_] == '\\')) {
                word += line_[at_++];
            } else if (at_ + 2 < line_.size() && line_[at_] == 'x' &&
                       hexValue(line_[at_ + 1]) >= 0 && hexValue(line_[at_ + 2]) >= 0) {
                word += static_cast<char>(hexValue(line_[at_ + 1]) * 16 + hexValue(line_[at_ + 2]));
                at_ += 3;
            } else {
                fail("unknown escape in a quoted word: \\\" \\\\ and \\xHH are known");
            }
        }
        if (at_ < line_.size() && !blank(line_[at_]) && line_[at_] != '#')
            fail("a quoted word ends where a blank does not follow");
        return word;
    }

    [[noreturn]] void fail(const std::string& message) const {
        throw WaiverError{number_, message};
    }

    std::string_view line_;
    int number_;
    std::size_t at_ = 0;
};

} // namespace

std::vector<Waiver> parseWaivers(std::string_view text) {
    // Editors on Windows may begin a UTF-8 text with a byte-order mark.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<Waiver> waivers;
    int number = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        std::vector<std::string> words;
        Waiver waiver;
        LineReader(line, number).read(words, waiver.comment);
        if (words.empty())
            continue;
        std::optional<model::FindingKind> kind = model::findingKindNamed(words[0]);
        if (!kind || *kind == model::FindingKind::StaleWaiver)
            throw WaiverError{number, "unknown check: " + words[0]};
        if (words.size() == 1)
            throw WaiverError{number, "the waiver names what its finding is about"};
        waiver.kind = *kind;
        waiver.subjects.assign(words.begin() + 1, words.end());
        waiver.line = number;
        waivers.push_back(std::move(waiver));
    }
    return waivers;
}

std::string waiverLine(model::FindingKind kind, const std::vector<std::string>& subjects,
                       const std::string& comment) {
    std::string line = model::checkType(kind).id;
    for (const std::string& subject : subjects) {
        line += ' ';
        line += wordText(subject);
    }
    if (!comment.empty()) {
        // A comment keeps to its line: control bytes are written as \xHH.
        line += "  # ";
        line += model::reportLine(comment);
        line.pop_back();
    }
    line += '\n';
    return line;
}

} // namespace dovla::sheettool
