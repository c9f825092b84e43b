#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

namespace dovla {

class ObjectStore;
class PartInstanceTable;

// Reads the sheet file record by record; every item becomes an object of the
// store or a placed part, shifted into its sheet's area of the plane.
class SheetReader {
  public:
    static constexpr std::int32_t maxSheets = 32;

    SheetReader() = default;
    SheetReader(const SheetReader&) = delete;
    SheetReader& operator=(const SheetReader&) = delete;

    void openSheetFile(const char* name);
    void readSheetFile(ObjectStore& store, PartInstanceTable& instances);

    std::int32_t sheetCount() const { return sheetCount_; }

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    void readBody(unsigned char* body, std::size_t size);
    void readSheetHeader();
    void skipExtension();
    void addRecord(int type, const unsigned char* body, ObjectStore& store,
                   PartInstanceTable& instances);

    std::unique_ptr<std::FILE, FileCloser> stream_;
    std::int32_t sheetCount_ = 0;
    std::int32_t sheetOffsetX_ = 0;
    std::int32_t sheetOffsetY_ = 0;
};

} // namespace dovla
