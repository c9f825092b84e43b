#include "sheet/sheet_reader.h"

#include <cstring>
#include <utility>

#include "connect/object_store.h"
#include "driver/messages.h"
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

} // namespace

void SheetReader::openSheetFile(const char* name) {
    stream_.reset(std::fopen(name, "rb"));
    if (!stream_)
        fatal("can't open: %s\n", name);
    std::setvbuf(stream_.get(), nullptr, _IOFBF, 1 << 16);
}

void SheetReader::readBody(unsigned char* body, std::size_t size) {
    if (std::fread(body, 1, size, stream_.get()) != size)
        readError();
}

void SheetReader::readSheetFile(ObjectStore& store, PartInstanceTable& instances) {
    unsigned char body[59];
    for (;;) {
        int type = std::fgetc(stream_.get());
        if (type == EOF) {
            if (std::ferror(stream_.get()))
                readError();
            return;
        }
        if (type >= FirstExtensionRecord) {
            skipExtension();
        } else if (type >= FirstInvalidRecord) {
            notSheetFile();
        } else if (type == SheetHeaderRecord) {
            readSheetHeader();
        } else {
            readBody(body, bodySizes[type]);
            addRecord(type, body, store, instances);
        }
    }
}

void SheetReader::skipExtension() {
    unsigned char head[extensionHeadSize];
    readBody(head, extensionHeadSize);
    std::int32_t length = readInt16(head + 9);
    // A length below the head's own would move back into the record and
    // read it again for ever.
    if (length < 14)
        notSheetFile();
    if (std::fseek(stream_.get(), length - 14, SEEK_CUR) != 0)
        readError();
}

void SheetReader::readSheetHeader() {
    if (sheetCount_ == maxSheets)
        fatal("too many sheet!\n");
    ++sheetCount_;
    sheetOffsetX_ = 3000 * sheetCount_;
    sheetOffsetY_ = 2000 * sheetCount_;
    unsigned char body[59];
    readBody(body, sizeof body);
    // The sheet size code (byte 0, or byte 33 when byte 0 is 32) changes
    // nothing in the net list, so only the magic is checked.
    if (std::memcmp(body + 1, sheetMagic, sheetMagicLength) != 0)
        notSheetFile();
}

void SheetReader::addRecord(int type, const unsigned char* body, ObjectStore& store,
                            PartInstanceTable& instances) {
    const std::int32_t attr = body[0];
    const std::int32_t x = readInt16(body + 1) + sheetOffsetX_;
    const std::int32_t y = readInt16(body + 3) + sheetOffsetY_;
    char text[16];
    switch (type) {
    case JunctionRecord:
        store.addObject(Junction, attr, x, y, -x, -y, SecondEnd::Absent, "", nullptr);
        break;
    case BusEntryRecord: {
        std::int32_t entryX = (attr & 1) ? x - 10 : x + 10;
        store.addObject(BusEntry, attr, x, y, entryX, y - 10, SecondEnd::Present, "", nullptr);
        break;
    }
    case BusRecord:
    case WireRecord: {
        // Ends ordered on the stored values: end 1 has the smaller y, and on
        // equal y the smaller x.
        std::int16_t ax = readInt16(body + 1), ay = readInt16(body + 3);
        std::int16_t bx = readInt16(body + 5), by = readInt16(body + 7);
        if (ax > bx) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        if (ay > by) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        store.addObject(type == BusRecord ? Bus : Wire, attr, ax + sheetOffsetX_,
                        ay + sheetOffsetY_, bx + sheetOffsetX_, by + sheetOffsetY_,
                        SecondEnd::Present, "", nullptr);
        break;
    }
    case LabelRecord:
        takeText(text, body + 6, signedByte(body[5]), 11);
        store.addObject(Label, attr, x, y, -x, -y, SecondEnd::Absent, text, nullptr);
        break;
    case TagRecord: {
        int length = signedByte(body[5]);
        takeText(text, body + 6, length, 11);
        store.addObject(Tag, attr, x, y, x + tagWidths[length], y, SecondEnd::Present, text,
                        nullptr);
        break;
    }
    case PartRecord: {
        char name[16];
        char ref[8];
        takeText(name, body + 12, signedByte(body[11]), 15);
        takeText(ref, body + 32, signedByte(body[31]), 7);
        const unsigned char* libField = body + 43;
        if (std::memchr(libField, '\0', 16) == nullptr)
            notSheetFile();
        instances.addPartInstance(Pin, x, y, ref, body[9], body[10], name,
                                  reinterpret_cast<const char*>(libField));
        break;
    }
    default: // types 4 and 7 carry nothing the net list needs
        break;
    }
}

} // namespace dovla
