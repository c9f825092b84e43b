#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace dovla {

class ObjectStore;
class PartInstanceTable;

// One record as the reader has read and checked it, handed to a
// SheetRecordSink before the next one is read.
struct SheetRecord {
    int type;
    // Where the record starts in the file: the offset of its type byte.
    std::int64_t fileOffset;
    // The body as read; for an extension record its 13-byte head.
    const unsigned char* body;
    std::size_t bodySize;
    // The sheet the record belongs to (0 before the first header, a header
    // counting itself), with the offsets added to its coordinates.
    std::int32_t sheet;
    std::int32_t offsetX;
    std::int32_t offsetY;
    // Labels and tags: the text; parts: the part name. NUL-terminated, taken
    // from the first n bytes of the field.
    char text[16];
    char ref[8];         // parts
    const char* libName; // parts: NUL-terminated within the body
    int sizeCode;        // sheet headers
    // Extension records: the total length from the head, and the bytes that
    // follow the head, as far as the file holds them, when the reader was
    // asked for them.
    std::int32_t extensionLength;
    const unsigned char* extensionData;
    std::size_t extensionDataSize;
};

class SheetRecordSink {
  public:
    virtual ~SheetRecordSink() = default;
    virtual void takeRecord(const SheetRecord& record) = 0;
};

// Reads the sheet file record by record; every item becomes an object of the
// store or a placed part, shifted into its sheet's area of the plane.
class SheetReader {
  public:
    static constexpr std::int32_t maxSheets = 32;

    SheetReader() = default;
    SheetReader(const SheetReader&) = delete;
    SheetReader& operator=(const SheetReader&) = delete;

    void openSheetFile(const char* name);
    // Each record is also handed to alsoTo, when given, after it was added.
    void readSheetFile(ObjectStore& store, PartInstanceTable& instances,
                       SheetRecordSink* alsoTo = nullptr);
    // The same reading and checking with every record handed to the sink;
    // extension records are skipped unread unless withExtensionData.
    void readRecords(SheetRecordSink& sink, bool withExtensionData = false);

    std::int32_t sheetCount() const { return sheetCount_; }
    // The size code of sheet n (1 to sheetCount()).
    int sheetSizeCode(std::int32_t sheet) const { return sizeCodes_[sheet - 1]; }

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    // The stream is read in large chunks into a buffer of the reader's own,
    // and the records are taken from there.
    bool fill();
    bool takeByte(int& byte);
    std::size_t take(unsigned char* into, std::size_t size);
    void skip(std::int64_t count);
    void readBody(unsigned char* body, std::size_t size);
    void readSheetHeader(unsigned char* body);
    void readExtension(unsigned char* head, SheetRecord& record, bool withData);
    void addRecord(const SheetRecord& record, ObjectStore& store, PartInstanceTable& instances);

    std::unique_ptr<std::FILE, FileCloser> stream_;
    std::vector<unsigned char> buffer_;
    std::size_t next_ = 0;         // the next byte of the buffer to take
    std::size_t end_ = 0;          // behind the last byte read into it
    std::int64_t bufferStart_ = 0; // the file offset of the buffer's first byte
    std::int32_t sheetCount_ = 0;
    int sizeCodes_[maxSheets] = {};
    std::int32_t sheetOffsetX_ = 0;
    std::int32_t sheetOffsetY_ = 0;
    std::vector<unsigned char> extensionData_;
};

} // namespace dovla
