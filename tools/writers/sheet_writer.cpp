#include "writers/sheet_writer.h"

#include <fstream>
#include <stdexcept>

namespace dovla::writers {

void saveBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

void SheetWriter::int16(int value) {
    byte(value & 0xFF);
    byte((value >> 8) & 0xFF);
}

void SheetWriter::text(const std::string& value, std::size_t fieldSize, std::size_t maxLength) {
    std::size_t length = value.size() < maxLength ? value.size() : maxLength;
    byte(static_cast<int>(length));
    for (std::size_t i = 0; i < fieldSize; ++i)
        byte(i < length ? static_cast<unsigned char>(value[i]) : 0);
}

SheetWriter& SheetWriter::header(int sizeCode) {
    byte(9);
    byte(sizeCode);
    for (char c : std::string("KV DATA FILE"))
        byte(c);
    for (int i = 13; i < 59; ++i)
        byte(0);
    return *this;
}

SheetWriter& SheetWriter::point(int type, int x, int y, int attr) {
    byte(type);
    byte(attr);
    int16(x);
    int16(y);
    return *this;
}

SheetWriter& SheetWriter::twoEnds(int type, int x1, int y1, int x2, int y2, int attr) {
    point(type, x1, y1, attr);
    int16(x2);
    int16(y2);
    return *this;
}

SheetWriter& SheetWriter::junction(int x, int y, int attr) {
    return point(0, x, y, attr);
}
SheetWriter& SheetWriter::busEntry(int x, int y, int attr) {
    return point(1, x, y, attr);
}

SheetWriter& SheetWriter::bus(int x1, int y1, int x2, int y2, int attr) {
    return twoEnds(2, x1, y1, x2, y2, attr);
}

SheetWriter& SheetWriter::wire(int x1, int y1, int x2, int y2, int attr) {
    return twoEnds(3, x1, y1, x2, y2, attr);
}

SheetWriter& SheetWriter::line(int x1, int y1, int x2, int y2, int attr) {
    return twoEnds(4, x1, y1, x2, y2, attr);
}

SheetWriter& SheetWriter::label(int x, int y, const std::string& value, int attr) {
    point(5, x, y, attr);
    text(value, 11, 11);
    return *this;
}

SheetWriter& SheetWriter::tag(int x, int y, const std::string& value, int attr) {
    point(6, x, y, attr);
    text(value, 11, 11);
    return *this;
}

SheetWriter& SheetWriter::comment(const std::string& value) {
    byte(7);
    for (std::size_t i = 0; i < 37; ++i)
        byte(i < value.size() ? static_cast<unsigned char>(value[i]) : 0);
    return *this;
}

SheetWriter& SheetWriter::part(int x, int y, const std::string& ref, const std::string& name,
                               const std::string& libName, int dir, int block) {
    point(8, x, y, 0);
    for (int i = 0; i < 4; ++i)
        byte(0);
    byte(dir);
    byte(block);
    text(name, 19, 15);
    text(ref, 11, 7);
    for (std::size_t i = 0; i < 16; ++i)
        byte(i < libName.size() && i < 15 ? static_cast<unsigned char>(libName[i]) : 0);
    return *this;
}

SheetWriter& SheetWriter::extension(int type, int length) {
    if (type < 16 || type > 255)
        throw std::invalid_argument("extension types are 16 to 255");
    byte(type);
    for (int i = 0; i < 9; ++i)
        byte(0);
    int16(length);
    byte(0);
    byte(0);
    for (int i = 14; i < length; ++i)
        byte(0xEE);
    return *this;
}

SheetWriter& SheetWriter::raw(const std::vector<std::uint8_t>& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

void SheetWriter::save(const std::string& path) const {
    saveBytes(path, bytes_);
}

} // namespace dovla::writers
