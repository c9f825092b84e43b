#include "sheet/sheet_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "connect/object_store.h"
#include "driver/messages.h"
#include "driver/open_file.h"
#include "library/part_instances.h"
#include "sheet/sheet_format.h"

namespace dovla {

using namespace sheetformat;

namespace {

[[noreturn]] void readError() {
    fatal("file read error!\n");
}
[[noreturn]] void notSheetFile() {
    fatal("don't sheet file!\n");
}

// The first n bytes of a text field as a string. A length outside the field
// makes the record, and so the file, unreadable.
void takeText(char* into, const unsigned char* field, int length, int maxLength) {
    if (length < 0 || length > maxLength)
        notSheetFile();
    std::memcpy(into, field, static_cast<std::size_t>(length));
    into[length] = '\0';
}

int signedByte(unsigned char byte) {
    return static_cast<std::int8_t>(byte);
}

// The texts of a label, tag or part record, checked against their fields.
void takeTexts(SheetRecord& record) {
    const unsigned char* body = record.body;
    switch (record.type) {
    case LabelRecord:
    case TagRecord:
        takeText(record.text, body + field::text, signedByte(body[field::textLength]),
                 field::maxTextLength);
        break;
    case PartRecord: {
        takeText(record.text, body + field::partName, signedByte(body[field::partNameLength]),
                 field::maxPartNameLength);
        takeText(record.ref, body + field::ref, signedByte(body[field::refLength]),
                 field::maxRefLength);
        const unsigned char* libField = body + field::libName;
        if (std::memchr(libField, '\0', field::libNameSize) == nullptr)
            notSheetFile();
        record.libName = reinterpret_cast<const char*>(libField);
        break;
    }
    default:
        break;
    }
}

} // namespace

void SheetReader::openSheetFile(const char* name) {
    stream_.reset(openFile(name, "rb"));
    if (!stream_)
        fatal("can't open: %s\n", name);
    buffer_.resize(1 << 16);
    next_ = end_ = 0;
    bufferStart_ = 0;
}

// False at the end of the file.
bool SheetReader::fill() {
    bufferStart_ += static_cast<std::int64_t>(end_);
    next_ = 0;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), stream_.get());
    if (end_ == 0 && std::ferror(stream_.get()))
        readError();
    return end_ != 0;
}

bool SheetReader::takeByte(int& byte) {
    if (next_ == end_ && !fill())
        return false;
    byte = buffer_[next_++];
    return true;
}

// As many bytes as the file still holds, up to size.
std::size_t SheetReader::take(unsigned char* into, std::size_t size) {
    std::size_t taken = 0;
    while (taken < size) {
        if (next_ == end_ && !fill())
            break;
        std::size_t n = std::min(size - taken, end_ - next_);
        std::memcpy(into + taken, buffer_.data() + next_, n);
        next_ += n;
        taken += n;
    }
    return taken;
}

// Past the end of the file is allowed: the next byte then finds the end.
void SheetReader::skip(std::int64_t count) {
    std::int64_t buffered = static_cast<std::int64_t>(end_ - next_);
    if (count <= buffered) {
        next_ += static_cast<std::size_t>(count);
        return;
    }
    bufferStart_ += static_cast<std::int64_t>(next_) + count;
    next_ = end_ = 0;
    if (std::fseek(stream_.get(), static_cast<long>(count - buffered), SEEK_CUR) != 0)
        readError();
}

void SheetReader::readBody(unsigned char* body, std::size_t size) {
    if (take(body, size) != size)
        readError();
}

void SheetReader::readSheetFile(ObjectStore& store, PartInstanceTable& instances,
                                SheetRecordSink* alsoTo) {
    struct Records : SheetRecordSink {
        Records(SheetReader& reader, ObjectStore& store, PartInstanceTable& instances,
                SheetRecordSink* alsoTo)
            : reader(reader), store(store), instances(instances), alsoTo(alsoTo) {}
        void takeRecord(const SheetRecord& record) override {
            reader.addRecord(record, store, instances);
            if (alsoTo != nullptr)
                alsoTo->takeRecord(record);
        }
        SheetReader& reader;
        ObjectStore& store;
        PartInstanceTable& instances;
        SheetRecordSink* alsoTo;
    } records(*this, store, instances, alsoTo);
    readRecords(records);
}

void SheetReader::readRecords(SheetRecordSink& sink, bool withExtensionData) {
    unsigned char body[59];
    for (;;) {
        int type;
        if (!takeByte(type))
            return;
        SheetRecord record{};
        record.type = type;
        record.fileOffset = bufferStart_ + static_cast<std::int64_t>(next_) - 1;
        record.body = body;
        if (type >= FirstExtensionRecord) {
            readExtension(body, record, withExtensionData);
        } else if (type >= FirstInvalidRecord) {
            notSheetFile();
        } else if (type == SheetHeaderRecord) {
            readSheetHeader(body);
            record.bodySize = bodySizes[type];
            record.sizeCode = sheetformat::sheetSizeCode(body);
        } else {
            readBody(body, bodySizes[type]);
            record.bodySize = bodySizes[type];
            takeTexts(record);
        }
        record.sheet = sheetCount_;
        record.offsetX = sheetOffsetX_;
        record.offsetY = sheetOffsetY_;
        sink.takeRecord(record);
    }
}

void SheetReader::readExtension(unsigned char* head, SheetRecord& record, bool withData) {
    readBody(head, extensionHeadSize);
    record.bodySize = extensionHeadSize;
    std::int32_t length = readInt16(head + field::extensionLength);
    // A length below the head's own would move back into the record and
    // read it again for ever.
    if (length < static_cast<std::int32_t>(field::minExtensionLength))
        notSheetFile();
    record.extensionLength = length;
    if (!withData) {
        skip(length - 14);
        return;
    }
    // A record that reaches past the end of the file ends the reading at
    // the next type byte, as a skip past the end does.
    extensionData_.resize(static_cast<std::size_t>(length - 14));
    std::size_t got = take(extensionData_.data(), extensionData_.size());
    record.extensionData = extensionData_.data();
    record.extensionDataSize = got;
}

void SheetReader::readSheetHeader(unsigned char* body) {
    if (sheetCount_ == maxSheets)
        fatal("too many sheet!\n");
    ++sheetCount_;
    sheetOffsetX_ = 3000 * sheetCount_;
    sheetOffsetY_ = 2000 * sheetCount_;
    readBody(body, bodySizes[SheetHeaderRecord]);
    // The sheet size code (byte 0, or byte 33 when byte 0 is 32) changes
    // nothing in the net list, so only the magic is checked.
    if (std::memcmp(body + field::magic, sheetMagic, sheetMagicLength) != 0)
        notSheetFile();
    sizeCodes_[sheetCount_ - 1] = sheetformat::sheetSizeCode(body);
}

void SheetReader::addRecord(const SheetRecord& record, ObjectStore& store,
                            PartInstanceTable& instances) {
    const int type = record.type;
    const unsigned char* body = record.body;
    const std::int32_t attr = body[field::attr];
    const std::int32_t x = readInt16(body + field::x) + record.offsetX;
    const std::int32_t y = readInt16(body + field::y) + record.offsetY;
    switch (type) {
    case JunctionRecord:
        store.addObject(Junction, attr, x, y, -x, -y, SecondEnd::Absent, "", nullptr, record.sheet);
        break;
    case BusEntryRecord: {
        std::int32_t entryX = (attr & 1) ? x - 10 : x + 10;
        store.addObject(BusEntry, attr, x, y, entryX, y - 10, SecondEnd::Present, "", nullptr,
                        record.sheet);
        break;
    }
    case BusRecord:
    case WireRecord: {
        // Ends ordered on the stored values: end 1 has the smaller y, and on
        // equal y the smaller x.
        std::int16_t ax = readInt16(body + field::x), ay = readInt16(body + field::y);
        std::int16_t bx = readInt16(body + field::x2), by = readInt16(body + field::y2);
        if (ax > bx) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        if (ay > by) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        store.addObject(type == BusRecord ? Bus : Wire, attr, ax + record.offsetX,
                        ay + record.offsetY, bx + record.offsetX, by + record.offsetY,
                        SecondEnd::Present, "", nullptr, record.sheet);
        break;
    }
    case LabelRecord:
        store.addObject(Label, attr, x, y, -x, -y, SecondEnd::Absent, record.text, nullptr,
                        record.sheet);
        break;
    case TagRecord: {
        int length = signedByte(body[field::textLength]);
        store.addObject(Tag, attr, x, y, x + tagWidths[length], y, SecondEnd::Present, record.text,
                        nullptr, record.sheet);
        break;
    }
    case PartRecord:
        instances.addPartInstance(Pin, x, y, record.ref, body[field::partDir],
                                  body[field::partBlock], record.text, record.libName,
                                  record.sheet);
        break;
    default: // types 4, 7 and the extension records carry nothing the net list needs
        break;
    }
}

} // namespace dovla
