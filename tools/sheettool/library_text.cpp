#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

#include "driver/alloc_pool.h"
#include "driver/messages.h"
#include "driver/open_file.h"
#include "library/library_file.h"
#include "sheettool.h"
#include "text_syntax.h"

namespace dovla::sheettool {

using namespace libraryformat;

namespace {

// Header bytes that the reader does not read.
struct UnusedRange {
    const char* key;
    std::size_t at;
    std::size_t size;
};
constexpr UnusedRange headerUnused[] = {
    {"unused10", magicLength, partCountField - magicLength},
    {"unused30", partDataBaseField + 4, stringBaseField - partDataBaseField - 4},
    {"unused42", stringBaseField + 4, headerSize - stringBaseField - 4}};

const char* const sideNames[] = {"left", "top", "right", "bottom"};
constexpr std::size_t gapLineBytes = 32;
// A text can place bytes this far into the file at most.
constexpr std::int64_t maxFileSize = 16 << 20;

std::string byteText(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value & 0xFF);
    return text;
}

std::size_t pinEntrySize(unsigned blockCount) {
    return pinEntryHeadSize + 2 * blockCount;
}

std::vector<unsigned char> readWholeFile(const std::string& path) {
    std::vector<unsigned char> bytes;
    std::FILE* file = openFile(path.c_str(), "rb");
    if (file == nullptr)
        fatal("can't open: %s\n", path.c_str());
    unsigned char chunk[1 << 14];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        fatal("file read error!\n");
    return bytes;
}

// "B12": the letter (when its code is not 0) and the number of a pin number
// word; the bits that mean nothing (9 and 15) behind a "+" when set.
std::string pinNumberText(std::uint16_t word) {
    std::string text;
    int letter = (word >> 10) & 0x1F;
    if (letter != 0)
        text += static_cast<char>(letter + 0x40);
    text += std::to_string(word & 0x1FF);
    if (word & 0x8200) {
        char extra[16];
        std::snprintf(extra, sizeof extra, "+0x%04x", word & 0x8200);
        text += extra;
    }
    return text;
}

std::uint16_t parsePinNumber(const std::string& token, int line, int column) {
    std::size_t at = 0;
    unsigned word = 0;
    if (!token.empty() && token[0] >= 'A' && token[0] <= '_') {
        word |= static_cast<unsigned>(token[0] - 0x40) << 10;
        at = 1;
    }
    std::size_t plus = token.find('+', at);
    std::string number =
        token.substr(at, plus == std::string::npos ? std::string::npos : plus - at);
    word |=
        static_cast<unsigned>(parseInteger(number, line, column + static_cast<int>(at), 0, 511));
    if (plus != std::string::npos) {
        int extraColumn = column + static_cast<int>(plus) + 1;
        auto extra = parseInteger(token.substr(plus + 1), line, extraColumn, 0, 0xFFFF);
        if ((extra & ~0x8200) != 0)
            throw TextError(line, extraColumn, "only bits 0x8200 may follow the number");
        word |= static_cast<unsigned>(extra);
    }
    return static_cast<std::uint16_t>(word);
}

class LibraryDumper {
  public:
    LibraryDumper(const std::string& path, std::string& out, bool offsets)
        : raw_(readWholeFile(path)), covered_(raw_.size(), false), out_(out), offsets_(offsets) {
        lib_.open(path.c_str());
    }

    void dump() {
        out_ += libraryTextKeyword;
        out_ += '\n';
        try {
            lib_.readHeader();
            lib_.readTables(pool_);
            header();
            for (std::uint32_t i = 0; i < lib_.partCount; ++i)
                part(i);
            gaps();
        } catch (const FatalError& error) {
            out_ += "# damaged";
            if (damagedPart_ >= 0)
                out_ += " in part " + std::to_string(damagedPart_);
            out_ += ": " + messageOf(error) + "\n";
            throw;
        }
        lib_.releaseTables(pool_);
    }

  private:
    void cover(std::int64_t at, std::size_t size) {
        for (std::int64_t i = at; i < at + static_cast<std::int64_t>(size); ++i) {
            if (i >= 0 && i < static_cast<std::int64_t>(covered_.size()))
                covered_[static_cast<std::size_t>(i)] = true;
        }
    }

    // The bytes from a position up to the first NUL (which is not among
    // them) or the end of the file.
    std::string nulTerminated(std::int64_t at, bool& terminated) const {
        std::string bytes;
        terminated = false;
        for (auto i = static_cast<std::size_t>(at); i < raw_.size(); ++i) {
            if (raw_[i] == 0) {
                terminated = true;
                break;
            }
            bytes += static_cast<char>(raw_[i]);
        }
        return bytes;
    }

    void header() {
        // Without offsets the count, too, is left to build: a part added in
        // an editor is counted.
        std::string line = "header";
        if (offsets_)
            line += " parts=" + std::to_string(lib_.partCount) +
                    " name-table=" + std::to_string(lib_.nameTableOffset) +
                    " part-table=" + std::to_string(lib_.partTableOffset) +
                    " part-data=" + std::to_string(lib_.partDataBase) +
                    " strings=" + std::to_string(lib_.stringBase);
        for (const UnusedRange& range : headerUnused) {
            std::size_t used = withoutTrailingZeros(lib_.header + range.at, range.size);
            if (used > 0)
                line += std::string(" ") + range.key + "=" + hex(lib_.header + range.at, used);
        }
        out_ += line + "\n";
        cover(0, headerSize);
        cover(lib_.nameTableOffset, nameOffsetSize * lib_.partCount);
        cover(lib_.partTableOffset, partOffsetSize * lib_.partCount);
    }

    void part(std::uint32_t index) {
        damagedPart_ = static_cast<int>(index);
        std::string line = "part ";
        std::int64_t nameAt = static_cast<std::int64_t>(lib_.stringBase) + lib_.nameOffsets[index];
        bool terminated;
        std::string stored = nulTerminated(nameAt, terminated);
        cover(nameAt, stored.size() + (terminated ? 1 : 0));
        const char* name = lib_.names[index];
        std::string comment = "part " + std::to_string(index);
        if (stored == name) {
            line += "name=" + quote(stored);
        } else {
            line += "stored=" + quote(stored);
            comment += ", read as " + quote(name);
        }
        if (!terminated)
            line += " terminated=no";
        const std::string recordOffset = " record-at=" + std::to_string(lib_.partOffsets[index]);
        if (offsets_)
            line += " name-at=" + std::to_string(lib_.nameOffsets[index]) + recordOffset;
        std::int64_t recordAt =
            static_cast<std::int64_t>(lib_.partDataBase) + lib_.partOffsets[index];
        auto [owner, first] = recordOwners_.try_emplace(recordAt, index);
        if (!first) {
            // Without offsets a part cannot name another's record: it
            // describes it again, and build stores the two as one.
            out_ += offsets_ ? line + "  # " + comment + ", the record of part " +
                                   std::to_string(owner->second) + "\n"
                             : line + recordTexts_[recordAt];
            return;
        }
        // dovla32 reads only the records of the parts a design uses: one
        // that cannot be read is damage for a design that uses it, and only
        // a comment here. Its bytes, if any, follow as gaps.
        try {
            record(index, line, comment, recordAt);
        } catch (const FatalError& error) {
            // Parts that share the record are as damaged as this one.
            recordOwners_.erase(recordAt);
            pinNameCovers_.clear();
            // A record that cannot be read keeps its offset: it is where
            // the part's table entry points, and nothing else of it is known.
            out_ += line + (offsets_ ? "" : recordOffset) + " readable=no  # " + comment +
                    ", record at " + std::to_string(recordAt) + " damaged: " + messageOf(error) +
                    "\n";
        }
    }

    void record(std::uint32_t index, std::string line, const std::string& comment,
                std::int64_t recordAt) {
        unsigned char record[partRecordSize];
        lib_.readPartRecord(index, record);
        const unsigned blocks = record[2];
        const std::uint16_t pinWord = readUint16(record + recordPinWord);
        const unsigned pinCount = pinWord & 0xFFF;
        const std::size_t recordStart = line.size();
        line += " width=" + std::to_string(record[0]) + " height=" + std::to_string(record[1]) +
                " blocks=" + std::to_string(blocks) + " pins=" + std::to_string(pinCount);
        if (pinWord >> 12)
            line += " count-high=" + std::to_string(pinWord >> 12);
        std::size_t unused = withoutTrailingZeros(record + recordUnused, recordUnusedSize);
        if (unused > 0)
            line += " unused=" + hex(record + recordUnused, unused);
        std::string description = line.substr(recordStart) + "  # " + comment +
                                  (offsets_ ? ", record at " + std::to_string(recordAt) : "") +
                                  "\n";
        for (unsigned i = 0; i < pinCount; ++i)
            description += pin(blocks);
        std::string lines = line.substr(0, recordStart) + description;
        if (!offsets_)
            recordTexts_[recordAt] = description;
        cover(recordAt, partRecordSize + pinCount * pinEntrySize(blocks));
        for (const auto& [at, size] : pinNameCovers_)
            cover(at, size);
        pinNameCovers_.clear();
        out_ += lines;
    }

    std::string pin(unsigned blocks) {
        LibPin pin;
        std::uint16_t namePosition;
        lib_.readPin(pool_, pin, static_cast<std::uint8_t>(blocks), &namePosition);
        std::string line = "  pin side=" + std::string(sideNames[(pin.position >> 8) & 3]) +
                           " offset=" + std::to_string(pin.position & 0xFF);
        if (pin.position >> 10)
            line += " position-high=" + std::to_string(pin.position >> 10);
        if (blocks > 0) {
            line += " numbers=";
            for (unsigned b = 0; b < blocks; ++b) {
                if (b > 0)
                    line += ',';
                line += pinNumberText(pin.numbers[b]);
            }
        }
        pool_.release(pin.numbers);
        std::string comment;
        if (namePosition != noPinName) {
            auto at = static_cast<std::size_t>(lib_.stringBase + std::int64_t{namePosition});
            std::size_t length = raw_[at];
            std::size_t available = raw_.size() - at - 1;
            std::string stored(reinterpret_cast<const char*>(raw_.data() + at + 1),
                               length < available ? length : available);
            pinNameCovers_.emplace_back(static_cast<std::int64_t>(at), 1 + stored.size());
            if (stored == pin.name) {
                line += " name=" + quote(stored);
            } else {
                line += " stored=" + quote(stored);
                comment = "read as " + quote(pin.name);
            }
            if (length != stored.size())
                line += " name-length=" + std::to_string(length);
            if (offsets_)
                line += " name-at=" + std::to_string(namePosition);
        }
        return line + (comment.empty() ? "" : "  # " + comment) + "\n";
    }

    void gaps() {
        damagedPart_ = -1;
        if (!offsets_) {
            // The strings begin with a NUL at position 0, which build lays
            // out too.
            auto base = static_cast<std::size_t>(lib_.stringBase);
            if (lib_.stringBase >= 0 && base < raw_.size() && raw_[base] == 0)
                covered_[base] = true;
            auto left =
                static_cast<std::size_t>(std::count(covered_.begin(), covered_.end(), false));
            if (left > 0)
                out_ += "# left out: " + std::to_string(left) +
                        " byte(s) that no part holds (dump with offsets to keep them)\n";
            return;
        }
        std::size_t i = 0;
        while (i < raw_.size()) {
            if (covered_[i]) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < raw_.size() && !covered_[end] && end - i < gapLineBytes)
                ++end;
            out_ +=
                "gap at=" + std::to_string(i) + " bytes=" + hex(raw_.data() + i, end - i) + "\n";
            i = end;
        }
    }

    std::vector<unsigned char> raw_;
    std::vector<bool> covered_;
    std::string& out_;
    AllocPool pool_;
    LibraryFile lib_;
    bool offsets_;
    std::map<std::int64_t, std::uint32_t> recordOwners_;
    // Without offsets: each record's description by its place, for the
    // parts that share it.
    std::map<std::int64_t, std::string> recordTexts_;
    // The names of a record's pins, covered once the whole record is read.
    std::vector<std::pair<std::int64_t, std::size_t>> pinNameCovers_;
    int damagedPart_ = -1;
};

// Bytes that one line of the text puts at a place of the file.
struct Placement {
    std::int64_t at;
    std::string bytes;
    int line;
    int column;
};

void append16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void append32(std::string& out, std::int64_t value) {
    auto bits = static_cast<std::uint32_t>(value);
    append16(out, bits & 0xFFFF);
    append16(out, bits >> 16);
}

class LibraryBuilder {
  public:
    std::vector<std::uint8_t> build(const std::vector<TextLine>& lines) {
        if (lines.size() < 2 || lines[1].keyword != "header")
            throw TextError(lines.size() < 2 ? lines[0].number : lines[1].number,
                            lines.size() < 2 ? lines[0].column : lines[1].column,
                            "a library text begins with its header line");
        laidOut_ = layoutWanted(lines[1]);
        for (std::size_t i = 2; i < lines.size(); ++i) {
            const TextLine& line = lines[i];
            if (line.keyword == "part")
                part(line);
            else if (line.keyword == "pin")
                pin(line);
            else if (line.keyword == "gap")
                gap(line);
            else if (line.keyword == "header")
                throw TextError(line.number, line.column, "a library has one header");
            else
                throw TextError(line.number, line.column, "unknown item '" + line.keyword + "'");
        }
        finishPart();
        if (laidOut_)
            layOut();
        header(lines[1]);
        sharedRecords();
        return place();
    }

  private:
    static constexpr const char* baseKeys[] = {"name-table", "part-table", "part-data", "strings"};

    // Whether the text leaves the offsets out for build to choose: the
    // header gives none of its bases. A header gives all four or none.
    static bool layoutWanted(const TextLine& header) {
        int given = 0;
        for (const char* key : baseKeys) {
            for (const TextField& field : header.fields)
                given += field.key == key ? 1 : 0;
        }
        if (given != 0 && given != 4)
            throw TextError(header.number, header.column,
                            "give the header's name-table, part-table, part-data and strings, or "
                            "none of them to have build lay the library out");
        return given == 0;
    }

    // An offset of the text: required where the text places the bytes,
    // refused where build lays the library out.
    std::int64_t offsetField(FieldReader& fields, const char* what, const char* key,
                             std::int64_t min, std::int64_t max) {
        if (!laidOut_) {
            if (!fields.has(key))
                fields.failAtKeyword(std::string(what) + " needs the field '" + key +
                                     "' (or leave the header's offsets out, and every other, "
                                     "for build to lay the library out)");
            return fields.requiredInteger(key, min, max);
        }
        if (fields.has(key))
            fields.fail(key, std::string("the header gives no offsets, so build lays the library "
                                         "out; leave ") +
                                 key + " out");
        return -1;
    }

    // The layout that dump shows of a library made in one go: the header,
    // the name table, the part table, the strings (position 0 holds
    // nothing, then the pin names, each stored once, then the part names),
    // and the part records, each distinct record stored once. A name that
    // runs to the end of the file (a part name without its NUL, a pin name
    // shorter than its length byte) is read so only as the file's last
    // bytes: it goes behind the records, and there is room for one.
    void layOut() {
        struct Tail {
            std::int64_t* at;
            std::size_t recordSpot; // of a pin name; SIZE_MAX for a part name
            std::string* record;
            int line;
            int column;
        };
        std::optional<Tail> tail;
        auto runsToTheEnd = [&](Tail item) {
            if (tail)
                throw TextError(item.line, item.column,
                                "only one name can run to the end of the file, and another "
                                "already does");
            tail = item;
        };
        std::string strings(1, '\0');
        std::map<std::string, std::int64_t> pinNameAt;
        for (PartText& part : parts_) {
            for (PinName& name : part.pinNames) {
                if (static_cast<unsigned char>(name.bytes[0]) + 1u > name.bytes.size()) {
                    runsToTheEnd({&name.at, name.recordSpot, &part.record, name.line, name.column});
                    continue;
                }
                auto [at, added] =
                    pinNameAt.try_emplace(name.bytes, static_cast<std::int64_t>(strings.size()));
                if (added)
                    strings += name.bytes;
                name.at = at->second;
                setPinNameAt(part.record, name.recordSpot, name.at, name.line, name.column);
            }
        }
        for (PartText& part : parts_) {
            if (part.name.empty() || part.name.back() != '\0') {
                runsToTheEnd(
                    {&part.nameAt, SIZE_MAX, nullptr, part.line->number, part.line->column});
                continue;
            }
            part.nameAt = static_cast<std::int64_t>(strings.size());
            strings += part.name;
        }
        // The records go in with their pin names' positions, the one at the
        // end of the file aside: that depends on the records' size.
        std::map<std::string, std::int64_t> recordAt;
        std::int64_t data = 0;
        for (PartText& part : parts_) {
            if (!part.hasRecord)
                continue;
            auto [at, added] = recordAt.try_emplace(part.record, data);
            if (added)
                data += static_cast<std::int64_t>(part.record.size());
            if (at->second > 0xFFFF)
                throw TextError(part.line->number, part.line->column,
                                "the part records take more than the 64 KiB their offsets reach");
            part.recordAt = at->second;
        }
        if (tail) {
            *tail->at = static_cast<std::int64_t>(strings.size()) + data;
            if (tail->record != nullptr)
                setPinNameAt(*tail->record, tail->recordSpot, *tail->at, tail->line, tail->column);
        }
        const auto count = static_cast<std::int64_t>(parts_.size());
        nameTable_ = headerSize;
        partTable_ = nameTable_ + static_cast<std::int64_t>(nameOffsetSize) * count;
        strings_ = partTable_ + static_cast<std::int64_t>(partOffsetSize) * count;
        partData_ = strings_ + static_cast<std::int64_t>(strings.size());
        put(strings_, std::string(1, '\0'), parts_.empty() ? 1 : parts_[0].line->number, 1);
    }

    static void setPinNameAt(std::string& record, std::size_t spot, std::int64_t at, int line,
                             int column) {
        if (at >= noPinName)
            throw TextError(line, column,
                            "the pin names lie beyond the 64 KiB their positions reach");
        record[spot] = static_cast<char>(at & 0xFF);
        record[spot + 1] = static_cast<char>(at >> 8);
    }

    void put(std::int64_t at, std::string bytes, int line, int column) {
        if (at < 0 || at + static_cast<std::int64_t>(bytes.size()) > maxFileSize)
            throw TextError(line, column,
                            "offset " + std::to_string(at) + " lies outside 0 to " +
                                std::to_string(maxFileSize));
        placements_.push_back({at, std::move(bytes), line, column});
    }

    void header(const TextLine& line) {
        FieldReader fields(line, "the header",
                           {"parts", "name-table", "part-table", "part-data", "strings", "unused10",
                            "unused30", "unused42"});
        auto parts = fields.integer("parts", 0, 0xFFFF, static_cast<std::int64_t>(parts_.size()));
        if (parts != static_cast<std::int64_t>(parts_.size()))
            fields.fail("parts", "the header counts " + std::to_string(parts) +
                                     " parts, the text has " + std::to_string(parts_.size()));
        if (parts_.size() > 0xFFFF)
            fields.failAtKeyword("a library holds at most 65535 parts");
        const std::int64_t int32Min = INT32_MIN, int32Max = INT32_MAX;
        if (!laidOut_) {
            nameTable_ = fields.requiredInteger("name-table", 0, int32Max);
            partTable_ = fields.requiredInteger("part-table", 0, int32Max);
            partData_ = fields.requiredInteger("part-data", int32Min, int32Max);
            strings_ = fields.requiredInteger("strings", int32Min, int32Max);
        }
        std::string bytes(magic, magicLength);
        std::string unused[3];
        for (int i = 0; i < 3; ++i)
            unused[i] = fields.hexBytes(headerUnused[i].key, headerUnused[i].size);
        auto field = [&](int i) {
            unused[i].resize(headerUnused[i].size, '\0');
            bytes += unused[i];
        };
        field(0);
        append16(bytes, static_cast<unsigned>(parts_.size()));
        append32(bytes, nameTable_);
        append32(bytes, partTable_);
        append32(bytes, partData_);
        field(1);
        append32(bytes, strings_);
        field(2);
        put(0, bytes, line.number, line.column);
        // The table entries and the names, now that the bases are known.
        for (std::size_t i = 0; i < parts_.size(); ++i) {
            const PartText& part = parts_[i];
            std::string entry;
            append32(entry, part.nameAt);
            put(nameTable_ + static_cast<std::int64_t>(nameOffsetSize * i), entry,
                part.line->number, part.nameAtColumn);
            entry.clear();
            append16(entry, static_cast<unsigned>(part.recordAt));
            put(partTable_ + static_cast<std::int64_t>(partOffsetSize * i), entry,
                part.line->number, part.recordAtColumn);
            put(strings_ + part.nameAt, part.name, part.line->number, part.nameAtColumn);
            if (part.hasRecord)
                put(partData_ + part.recordAt, part.record, part.line->number, part.recordAtColumn);
            for (const PinName& name : part.pinNames)
                put(strings_ + name.at, name.bytes, name.line, name.column);
        }
    }

    struct PinName {
        std::int64_t at; // -1 until laid out
        std::string bytes;
        int line;
        int column;
        std::size_t recordSpot; // where the record holds its position
    };
    struct PartText {
        const TextLine* line;
        std::int64_t nameAt;
        int nameAtColumn;
        std::int64_t recordAt;
        int recordAtColumn;
        std::string name; // with its NUL, when it has one
        bool hasRecord;
        bool readable; // false: its record lies beyond the file or is cut off
        unsigned blocks;
        std::int64_t declaredPins; // -1: not given
        std::string record;        // the record and its pin entries
        unsigned pinCount;
        std::vector<PinName> pinNames;
    };

    void part(const TextLine& line) {
        finishPart();
        FieldReader fields(line, "a part",
                           {"name", "stored", "terminated", "name-at", "record-at", "width",
                            "height", "blocks", "pins", "count-high", "unused", "readable"});
        PartText part{};
        part.line = &line;
        if (fields.has("name") == fields.has("stored"))
            fields.failAtKeyword("a part has either a name or its stored bytes");
        std::string name = fields.has("name") ? fields.bytes("name", maxFileSize, "")
                                              : fields.bytes("stored", maxFileSize, "");
        if (name.find('\0') != std::string::npos)
            fields.fail(fields.has("name") ? "name" : "stored",
                        "a part name ends at its first NUL byte");
        if (fields.yesNo("terminated", true))
            name += '\0';
        part.name = name;
        part.nameAt = offsetField(fields, "a part", "name-at", INT32_MIN, INT32_MAX);
        part.nameAtColumn = fields.columnOf("name-at");
        part.hasRecord = fields.has("width") || fields.has("height") || fields.has("blocks");
        part.readable = fields.yesNo("readable", true);
        // A record that cannot be read is only where its offset says.
        part.recordAt = part.readable ? offsetField(fields, "a part", "record-at", 0, 0xFFFF)
                                      : fields.requiredInteger("record-at", 0, 0xFFFF);
        part.recordAtColumn = fields.columnOf("record-at");
        if (laidOut_ && part.readable && !part.hasRecord)
            fields.failAtKeyword("build lays the library out, so each part describes its record: "
                                 "give width, height and blocks");
        if (!part.readable && part.hasRecord)
            fields.fail(fields.has("width")    ? "width"
                        : fields.has("height") ? "height"
                                               : "blocks",
                        "a part whose record cannot be read describes none");
        if (part.hasRecord) {
            unsigned width = static_cast<unsigned>(fields.requiredInteger("width", 0, 255));
            unsigned height = static_cast<unsigned>(fields.requiredInteger("height", 0, 255));
            part.blocks = static_cast<unsigned>(fields.requiredInteger("blocks", 0, 255));
            part.declaredPins = fields.integer("pins", 0, 0xFFF, -1);
            unsigned high = static_cast<unsigned>(fields.integer("count-high", 0, 15, 0));
            std::string unused = fields.hexBytes("unused", recordUnusedSize);
            unused.resize(recordUnusedSize, '\0');
            part.record += static_cast<char>(width);
            part.record += static_cast<char>(height);
            part.record += static_cast<char>(part.blocks);
            part.record += unused;
            append16(part.record, high << 12); // the count goes in when the pins are known
        } else if (fields.has("pins") || fields.has("count-high") || fields.has("unused")) {
            fields.fail(fields.has("pins")         ? "pins"
                        : fields.has("count-high") ? "count-high"
                                                   : "unused",
                        "a part without width, height and blocks shares another part's "
                        "record and describes none");
        }
        parts_.push_back(std::move(part));
        inPart_ = true;
    }

    void pin(const TextLine& line) {
        if (!inPart_)
            throw TextError(line.number, line.column, "a pin belongs to the part line above it");
        PartText& part = parts_.back();
        if (!part.hasRecord)
            throw TextError(line.number, line.column,
                            "this part shares another part's record; its pins are there");
        FieldReader fields(line, "a pin",
                           {"side", "offset", "position-high", "numbers", "name", "stored",
                            "name-length", "name-at"});
        if (++part.pinCount > 0xFFF)
            fields.failAtKeyword("a part holds at most 4095 pins");
        int side = fields.word("side", {"left", "top", "right", "bottom"}, -1);
        if (side < 0)
            fields.failAtKeyword("a pin needs the field 'side'");
        unsigned offset = static_cast<unsigned>(fields.requiredInteger("offset", 0, 255));
        unsigned high = static_cast<unsigned>(fields.integer("position-high", 0, 63, 0));
        append16(part.record, high << 10 | static_cast<unsigned>(side) << 8 | offset);
        bool named = fields.has("name") || fields.has("stored");
        if (fields.has("name") && fields.has("stored"))
            fields.fail("stored", "a pin has either a name or its stored bytes");
        if (!named && fields.has("name-at"))
            fields.failAtKeyword("'name-at' places a name; give name= too");
        if (named) {
            const char* key = fields.has("name") ? "name" : "stored";
            std::string name = fields.bytes(key, 255, "");
            auto length =
                fields.integer("name-length", 0, 255, static_cast<std::int64_t>(name.size()));
            if (length < static_cast<std::int64_t>(name.size()))
                fields.fail("name-length", "the name holds more bytes than its length");
            if (length == 0)
                fields.fail(key, "a pin name can't be empty; leave name and name-at out");
            auto at = offsetField(fields, "a pin name", "name-at", 0, noPinName - 1);
            std::size_t spot = part.record.size();
            append16(part.record, static_cast<unsigned>(at));
            part.pinNames.push_back({at, static_cast<char>(length) + name, line.number,
                                     fields.columnOf("name-at"), spot});
        } else {
            if (fields.has("name-length"))
                fields.fail("name-length", "a pin without a name has no name length");
            append16(part.record, noPinName);
        }
        std::vector<std::uint16_t> numbers;
        if (const TextField* field = fields.find("numbers")) {
            std::size_t start = 0;
            while (!field->value.empty()) {
                std::size_t end = field->value.find(',', start);
                if (end == std::string::npos)
                    end = field->value.size();
                numbers.push_back(parsePinNumber(field->value.substr(start, end - start),
                                                 line.number,
                                                 field->valueColumn + static_cast<int>(start)));
                if (end == field->value.size())
                    break;
                start = end + 1;
            }
        }
        if (numbers.size() != part.blocks)
            fields.fail("numbers", "the part has " + std::to_string(part.blocks) +
                                       " blocks, so each pin has as many numbers; here are " +
                                       std::to_string(numbers.size()));
        for (std::uint16_t number : numbers)
            append16(part.record, number);
    }

    void finishPart() {
        if (!inPart_)
            return;
        inPart_ = false;
        PartText& part = parts_.back();
        if (!part.hasRecord)
            return;
        if (part.declaredPins >= 0 && part.declaredPins != part.pinCount)
            throw TextError(part.line->number, pinsColumn(*part.line),
                            "the part counts " + std::to_string(part.declaredPins) +
                                " pins, the lines below it are " + std::to_string(part.pinCount));
        unsigned word = static_cast<unsigned char>(part.record[recordPinWord]) |
                        static_cast<unsigned char>(part.record[recordPinWord + 1]) << 8;
        word |= part.pinCount;
        part.record[recordPinWord] = static_cast<char>(word & 0xFF);
        part.record[recordPinWord + 1] = static_cast<char>(word >> 8);
    }

    static int pinsColumn(const TextLine& line) {
        for (const TextField& field : line.fields) {
            if (field.key == "pins")
                return field.valueColumn;
        }
        return line.column;
    }

    void sharedRecords() {
        for (const PartText& part : parts_) {
            if (part.hasRecord || !part.readable)
                continue;
            bool described = false;
            for (const PartText& other : parts_)
                described = described || (other.hasRecord && other.recordAt == part.recordAt);
            if (!described)
                throw TextError(part.line->number, part.recordAtColumn,
                                "no part line describes the record at " +
                                    std::to_string(part.recordAt) +
                                    "; give width, height and blocks");
        }
    }

    void gap(const TextLine& line) {
        FieldReader fields(line, "a gap", {"at", "bytes"});
        if (laidOut_)
            fields.failAtKeyword("the header gives no offsets, so build lays the library out and "
                                 "has no place for a gap");
        auto at = fields.requiredInteger("at", 0, maxFileSize);
        if (!fields.has("bytes"))
            fields.failAtKeyword("a gap needs the field 'bytes'");
        put(at, fields.hexBytes("bytes", maxFileSize), line.number, fields.columnOf("bytes"));
    }

    std::vector<std::uint8_t> place() const {
        std::int64_t size = 0;
        for (const Placement& p : placements_)
            size = std::max<std::int64_t>(size, p.at + static_cast<std::int64_t>(p.bytes.size()));
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size), 0);
        std::vector<int> writer(bytes.size(), -1);
        for (std::size_t i = 0; i < placements_.size(); ++i) {
            const Placement& p = placements_[i];
            for (std::size_t k = 0; k < p.bytes.size(); ++k) {
                auto at = static_cast<std::size_t>(p.at) + k;
                auto value = static_cast<std::uint8_t>(p.bytes[k]);
                if (writer[at] >= 0 && bytes[at] != value) {
                    throw TextError(p.line, p.column,
                                    "the byte at offset " + std::to_string(at) + " is " +
                                        byteText(value) + " here but " + byteText(bytes[at]) +
                                        " on line " + std::to_string(placements_[writer[at]].line));
                }
                bytes[at] = value;
                writer[at] = static_cast<int>(i);
            }
        }
        return bytes;
    }

    std::vector<PartText> parts_;
    std::vector<Placement> placements_;
    bool inPart_ = false;
    bool laidOut_ = false;
    std::int64_t nameTable_ = 0;
    std::int64_t partTable_ = 0;
    std::int64_t partData_ = 0;
    std::int64_t strings_ = 0;
};

} // namespace

bool isLibraryFile(const std::string& path) {
    // A file that cannot be opened is reported by the sheet's reader.
    std::FILE* file = openFile(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    char start[magicLength];
    bool library = std::fread(start, 1, magicLength, file) == magicLength &&
                   std::memcmp(start, magic, magicLength) == 0;
    std::fclose(file);
    return library;
}

void dumpLibrary(const std::string& path, std::string& out, bool offsets) {
    LibraryDumper(path, out, offsets).dump();
}

std::vector<std::uint8_t> buildLibrary(const std::vector<TextLine>& lines) {
    return LibraryBuilder().build(lines);
}

} // namespace dovla::sheettool
