#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dovla::writers {

// Builds sheet files record by record from named fields. Coordinates are the
// stored (sheet) coordinates; texts are written with their length byte and
// cut to their field. raw() appends any bytes, for damaged files.
class SheetWriter {
  public:
    SheetWriter& header(int sizeCode = 4);
    SheetWriter& junction(int x, int y, int attr = 0);
    SheetWriter& busEntry(int x, int y, int attr = 0);
    SheetWriter& bus(int x1, int y1, int x2, int y2, int attr = 0);
    SheetWriter& wire(int x1, int y1, int x2, int y2, int attr = 0);
    SheetWriter& line(int x1, int y1, int x2, int y2, int attr = 0); // type 4, ignored
    SheetWriter& label(int x, int y, const std::string& text, int attr = 0);
    SheetWriter& tag(int x, int y, const std::string& text, int attr = 0);
    SheetWriter& comment(const std::string& text); // type 7, ignored
    SheetWriter& part(int x, int y, const std::string& ref, const std::string& name,
                      const std::string& libName, int dir = 0, int block = 0);
    // An extension record of the given type (16 to 255) and total length.
    SheetWriter& extension(int type, int length);
    SheetWriter& raw(const std::vector<std::uint8_t>& bytes);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    void save(const std::string& path) const;

  private:
    void byte(int value) { bytes_.push_back(static_cast<std::uint8_t>(value)); }
    void int16(int value);
    void text(const std::string& value, std::size_t fieldSize, std::size_t maxLength);
    SheetWriter& twoEnds(int type, int x1, int y1, int x2, int y2, int attr);
    SheetWriter& point(int type, int x, int y, int attr);

    std::vector<std::uint8_t> bytes_;
};

void saveBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace dovla::writers
