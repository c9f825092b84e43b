#include <cstdio>
#include <cstring>

#include "driver/messages.h"
#include "sheet/sheet_format.h"
#include "sheet/sheet_reader.h"
#include "sheettool.h"
#include "text_syntax.h"

namespace dovla::sheettool {

using namespace sheetformat;

namespace {

const std::vector<NamedBit> noNamedBits;
const std::vector<NamedBit> busEntryBits = {{1, "mirrored"}, {2, "wire-entry"}};
const std::vector<NamedBit> labelBits = {{8, "vertical"}};

// Header bytes that no field of the net list reads, around the moved size
// code at 33.
constexpr std::size_t headerUnused13 = 13;
constexpr std::size_t headerUnused13Size = field::movedSizeCode - headerUnused13;
constexpr std::size_t headerUnused34 = field::movedSizeCode + 1;
constexpr std::size_t headerUnused34Size = 59 - headerUnused34;
// Part bytes that nothing reads: byte 0 and bytes 5 to 8.
constexpr std::size_t partUnused5 = 5;
constexpr std::size_t partUnused5Size = field::partDir - partUnused5;
// Extension head bytes around the length.
constexpr std::size_t extensionHead11 = field::extensionLength + 2;

const char* keywordOf(int type) {
    static const char* const keywords[] = {"junction", "bus-entry", "bus",     "wire", "record4",
                                           "label",    "tag",       "record7", "part", "sheet"};
    return type < FirstInvalidRecord ? keywords[type] : "extension";
}

const std::vector<NamedBit>& attrBitsOf(int type) {
    if (type == BusEntryRecord)
        return busEntryBits;
    if (type == LabelRecord)
        return labelBits;
    return noNamedBits;
}

std::string point(std::int32_t x, std::int32_t y) {
    return std::to_string(x) + "," + std::to_string(y);
}

// The bytes of a field behind its text, up to the last one that is not zero.
std::string rest(const unsigned char* field, std::size_t size, std::size_t used) {
    return quote(field + used, withoutTrailingZeros(field + used, size - used));
}

class SheetDumper : public SheetRecordSink {
  public:
    explicit SheetDumper(std::string& out) : out_(out) {}

    void takeRecord(const SheetRecord& record) override {
        fields_.clear();
        comment_ = "sheet " + std::to_string(record.sheet);
        describe(record);
        std::string line = keywordOf(record.type);
        line.resize(10, ' ');
        line += fields_;
        line += "  # " + comment_ + "\n";
        out_ += line;
        position_ += 1 + record.bodySize + record.extensionDataSize;
    }

    std::size_t position() const { return position_; }

  private:
    void add(const std::string& key, const std::string& value) {
        if (!fields_.empty())
            fields_ += ' ';
        fields_ += key + "=" + value;
    }
    void addHexIfSet(const char* key, const unsigned char* bytes, std::size_t size) {
        std::size_t used = withoutTrailingZeros(bytes, size);
        if (used > 0)
            add(key, hex(bytes, used));
    }
    void addRestIfSet(const char* key, const unsigned char* field, std::size_t size,
                      std::size_t used) {
        if (withoutTrailingZeros(field + used, size - used) > 0)
            add(key, rest(field, size, used));
    }
    void addAttr(const SheetRecord& record) {
        unsigned attr = record.body[field::attr];
        if (attr != 0)
            add("attr", bitNames(attr, attrBitsOf(record.type)));
    }
    void absolute(std::int32_t x, std::int32_t y) { comment_ += ": " + point(x, y); }
    void absoluteTo(std::int32_t x, std::int32_t y) { comment_ += " - " + point(x, y); }

    void describe(const SheetRecord& record) {
        const unsigned char* body = record.body;
        const std::int32_t x = readInt16(body + field::x);
        const std::int32_t y = readInt16(body + field::y);
        const std::int32_t ax = x + record.offsetX;
        const std::int32_t ay = y + record.offsetY;
        switch (record.type) {
        case JunctionRecord:
            add("at", point(x, y));
            addAttr(record);
            absolute(ax, ay);
            break;
        case BusEntryRecord:
            add("at", point(x, y));
            addAttr(record);
            absolute(ax, ay);
            absoluteTo((body[field::attr] & 1) ? ax - 10 : ax + 10, ay - 10);
            break;
        case BusRecord:
        case WireRecord: {
            const std::int32_t x2 = readInt16(body + field::x2);
            const std::int32_t y2 = readInt16(body + field::y2);
            add("from", point(x, y));
            add("to", point(x2, y2));
            addAttr(record);
            absolute(ax, ay);
            absoluteTo(x2 + record.offsetX, y2 + record.offsetY);
            break;
        }
        case LabelRecord:
        case TagRecord: {
            std::size_t length = body[field::textLength];
            add("at", point(x, y));
            add("text", quote(body + field::text, length));
            addRestIfSet("text-rest", body + field::text, field::textSize, length);
            addAttr(record);
            absolute(ax, ay);
            if (record.type == TagRecord)
                absoluteTo(ax + tagWidths[length], ay);
            break;
        }
        case PartRecord: {
            std::size_t nameLength = body[field::partNameLength];
            std::size_t refLength = body[field::refLength];
            std::size_t libLength = std::strlen(record.libName);
            unsigned dir = body[field::partDir];
            add("at", point(x, y));
            add("ref", quote(body + field::ref, refLength));
            add("name", quote(body + field::partName, nameLength));
            add("lib", quote(body + field::libName, libLength));
            if (dir != 0)
                add("dir", std::to_string(dir));
            if (body[field::partBlock] != 0)
                add("block", std::to_string(body[field::partBlock]));
            addRestIfSet("ref-rest", body + field::ref, field::refSize, refLength);
            addRestIfSet("name-rest", body + field::partName, field::partNameSize, nameLength);
            addRestIfSet("lib-rest", body + field::libName, field::libNameSize, libLength + 1);
            addHexIfSet("unused0", body, 1);
            addHexIfSet("unused5", body + partUnused5, partUnused5Size);
            absolute(ax, ay);
            if (dir != 0) {
                comment_ += "; rotation " + std::to_string(dir & 3);
                if (dir & 4)
                    comment_ += ", mirrored";
            }
            break;
        }
        case SheetHeaderRecord: {
            add("code", std::to_string(body[field::sizeCode]));
            if (body[field::movedSizeCode] != 0)
                add("code33", std::to_string(body[field::movedSizeCode]));
            addHexIfSet("unused13", body + headerUnused13, headerUnused13Size);
            addHexIfSet("unused34", body + headerUnused34, headerUnused34Size);
            SheetSize size = sheetSize(record.sizeCode);
            comment_ += ": " + std::to_string(size.width) + "x" + std::to_string(size.height) +
                        ", origin " + point(record.offsetX, record.offsetY);
            break;
        }
        case LineRecord:
        case TextRecord:
            add("bytes", hex(body, record.bodySize));
            break;
        default: {
            std::size_t wanted =
                static_cast<std::size_t>(record.extensionLength) - field::minExtensionLength;
            add("type", std::to_string(record.type));
            add("length", std::to_string(record.extensionLength));
            add("data", hex(record.extensionData, record.extensionDataSize));
            addHexIfSet("head", body, field::extensionLength);
            addHexIfSet("head11", body + extensionHead11, 2);
            if (record.extensionDataSize < wanted)
                comment_ += "; the file ends " + std::to_string(wanted - record.extensionDataSize) +
                            " bytes before the record does";
            break;
        }
        }
    }

    std::string& out_;
    std::string fields_;
    std::string comment_;
    std::size_t position_ = 0;
};

void putBytes(std::vector<std::uint8_t>& out, std::size_t at, const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[at + i] = static_cast<std::uint8_t>(bytes[i]);
}

// A text with its length byte in front and the bytes behind it in the
// field after it.
void putText(FieldReader& fields, std::vector<std::uint8_t>& body, const char* key,
             const char* restKey, std::size_t lengthAt, std::size_t fieldAt, std::size_t fieldSize,
             int maxLength) {
    std::string text = fields.bytes(key, static_cast<std::size_t>(maxLength), "");
    std::string behind = fields.bytes(restKey, fieldSize - text.size(), "");
    body[lengthAt] = static_cast<std::uint8_t>(text.size());
    putBytes(body, fieldAt, text);
    putBytes(body, fieldAt + text.size(), behind);
}

std::vector<std::uint8_t> buildRecord(const TextLine& line, bool last, int& sheets) {
    const std::string& keyword = line.keyword;
    int type = -1;
    for (int t = 0; t < FirstInvalidRecord; ++t) {
        if (keyword == keywordOf(t))
            type = t;
    }
    if (keyword == "extension")
        type = FirstExtensionRecord;
    if (type < 0)
        throw TextError(line.number, line.column, "unknown item '" + keyword + "'");
    if (type == FirstExtensionRecord) {
        FieldReader fields(line, "an extension record",
                           {"type", "length", "data", "head", "head11"});
        auto extensionType = fields.requiredInteger("type", FirstExtensionRecord, 255);
        auto length = fields.requiredInteger("length", field::minExtensionLength, 32767);
        std::string data = fields.hexBytes("data", static_cast<std::size_t>(length) - 14);
        if (data.size() + 14 < static_cast<std::size_t>(length) && !last)
            fields.fail("data", "the data holds " + std::to_string(data.size()) +
                                    " bytes, the length asks for " + std::to_string(length - 14) +
                                    " (fewer only in the file's last record)");
        std::vector<std::uint8_t> bytes(1 + extensionHeadSize, 0);
        bytes[0] = static_cast<std::uint8_t>(extensionType);
        putBytes(bytes, 1, fields.hexBytes("head", field::extensionLength));
        writeUint16(bytes.data() + 1 + field::extensionLength, static_cast<std::uint32_t>(length));
        putBytes(bytes, 1 + extensionHead11, fields.hexBytes("head11", 2));
        bytes.insert(bytes.end(), data.begin(), data.end());
        return bytes;
    }
    std::vector<std::uint8_t> body(bodySizes[type], 0);
    switch (type) {
    case JunctionRecord:
    case BusEntryRecord: {
        FieldReader fields(line, type == JunctionRecord ? "a junction" : "a bus entry",
                           {"at", "attr"});
        std::int32_t x, y;
        fields.point("at", x, y);
        writeUint16(body.data() + field::x, static_cast<std::uint32_t>(x));
        writeUint16(body.data() + field::y, static_cast<std::uint32_t>(y));
        body[field::attr] = static_cast<std::uint8_t>(fields.bits("attr", attrBitsOf(type), 255));
        break;
    }
    case BusRecord:
    case WireRecord: {
        FieldReader fields(line, type == BusRecord ? "a bus" : "a wire", {"from", "to", "attr"});
        std::int32_t x, y, x2, y2;
        fields.point("from", x, y);
        fields.point("to", x2, y2);
        writeUint16(body.data() + field::x, static_cast<std::uint32_t>(x));
        writeUint16(body.data() + field::y, static_cast<std::uint32_t>(y));
        writeUint16(body.data() + field::x2, static_cast<std::uint32_t>(x2));
        writeUint16(body.data() + field::y2, static_cast<std::uint32_t>(y2));
        body[field::attr] = static_cast<std::uint8_t>(fields.bits("attr", attrBitsOf(type), 255));
        break;
    }
    case LabelRecord:
    case TagRecord: {
        FieldReader fields(line, type == LabelRecord ? "a label" : "a tag",
                           {"at", "text", "text-rest", "attr"});
        std::int32_t x, y;
        fields.point("at", x, y);
        writeUint16(body.data() + field::x, static_cast<std::uint32_t>(x));
        writeUint16(body.data() + field::y, static_cast<std::uint32_t>(y));
        putText(fields, body, "text", "text-rest", field::textLength, field::text, field::textSize,
                field::maxTextLength);
        body[field::attr] = static_cast<std::uint8_t>(fields.bits("attr", attrBitsOf(type), 255));
        break;
    }
    case PartRecord: {
        FieldReader fields(line, "a part",
                           {"at", "ref", "name", "lib", "dir", "block", "ref-rest", "name-rest",
                            "lib-rest", "unused0", "unused5"});
        std::int32_t x, y;
        fields.point("at", x, y);
        writeUint16(body.data() + field::x, static_cast<std::uint32_t>(x));
        writeUint16(body.data() + field::y, static_cast<std::uint32_t>(y));
        putText(fields, body, "ref", "ref-rest", field::refLength, field::ref, field::refSize,
                field::maxRefLength);
        putText(fields, body, "name", "name-rest", field::partNameLength, field::partName,
                field::partNameSize, field::maxPartNameLength);
        std::string lib = fields.bytes("lib", field::libNameSize - 1, "");
        if (lib.find('\0') != std::string::npos)
            fields.fail("lib", "the library part name ends at its first NUL byte; put the "
                               "bytes behind it in lib-rest");
        putBytes(body, field::libName, lib);
        putBytes(body, field::libName + lib.size() + 1,
                 fields.bytes("lib-rest", field::libNameSize - lib.size() - 1, ""));
        body[field::partDir] = static_cast<std::uint8_t>(fields.integer("dir", 0, 255, 0));
        body[field::partBlock] = static_cast<std::uint8_t>(fields.integer("block", 0, 255, 0));
        putBytes(body, 0, fields.hexBytes("unused0", 1));
        putBytes(body, partUnused5, fields.hexBytes("unused5", partUnused5Size));
        break;
    }
    case SheetHeaderRecord: {
        FieldReader fields(line, "a sheet header", {"code", "code33", "unused13", "unused34"});
        if (++sheets > SheetReader::maxSheets)
            fields.failAtKeyword("a sheet file holds at most 32 sheets");
        body[field::sizeCode] = static_cast<std::uint8_t>(fields.requiredInteger("code", 0, 255));
        std::memcpy(body.data() + field::magic, sheetMagic, sheetMagicLength);
        body[field::movedSizeCode] = static_cast<std::uint8_t>(fields.integer("code33", 0, 255, 0));
        putBytes(body, headerUnused13, fields.hexBytes("unused13", headerUnused13Size));
        putBytes(body, headerUnused34, fields.hexBytes("unused34", headerUnused34Size));
        break;
    }
    default: { // types 4 and 7: their bytes, whole
        FieldReader fields(line, type == LineRecord ? "a type 4 record" : "a type 7 record",
                           {"bytes"});
        if (!fields.has("bytes"))
            fields.failAtKeyword(std::string(keyword) + " needs the field 'bytes'");
        std::string bytes = fields.hexBytes("bytes", body.size());
        if (bytes.size() != body.size())
            fields.fail("bytes",
                        keyword + " holds exactly " + std::to_string(body.size()) + " bytes");
        putBytes(body, 0, bytes);
        break;
    }
    }
    body.insert(body.begin(), static_cast<std::uint8_t>(type));
    return body;
}

} // namespace

void dumpSheet(const std::string& path, std::string& out) {
    SheetReader reader;
    reader.openSheetFile(path.c_str());
    out += sheetTextKeyword;
    out += '\n';
    SheetDumper dumper(out);
    try {
        reader.readRecords(dumper, true);
    } catch (const FatalError& error) {
        out += "# damaged at offset " + std::to_string(dumper.position()) + ": " +
               messageOf(error) + "\n";
        throw;
    }
}

std::vector<std::uint8_t> buildSheet(const std::vector<TextLine>& lines) {
    std::vector<std::uint8_t> bytes;
    int sheets = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::uint8_t> record = buildRecord(lines[i], i + 1 == lines.size(), sheets);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

} // namespace dovla::sheettool
