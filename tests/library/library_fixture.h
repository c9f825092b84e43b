#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "driver/alloc_pool.h"
#include "driver/messages.h"
#include "library/part_library.h"
#include "support/temp_dir.h"
#include "writers/library_writer.h"

namespace dovla::testing {

// While it lives, fatal messages are thrown as FatalError and every message
// is collected instead of going to the error stream.
class MessageCapture {
  public:
    MessageCapture() : file_(std::tmpfile()) { setMessageStream(file_); }
    ~MessageCapture() {
        setMessageStream(stderr);
        std::fclose(file_);
    }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::string text() const {
        std::fflush(file_);
        std::rewind(file_);
        std::string all;
        char chunk[512];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file_)) > 0)
            all.append(chunk, got);
        std::fseek(file_, 0, SEEK_END);
        return all;
    }

  private:
    std::FILE* file_;
};

// Fields of a library file's header, as the writer lays them out.
inline std::uint32_t get16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8;
}
inline std::uint32_t get32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return get16(bytes, at) | get16(bytes, at + 2) << 16;
}
inline void set16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
inline void set32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    set16(bytes, at, value & 0xFFFF);
    set16(bytes, at + 2, value >> 16);
}
constexpr std::size_t partCountField = 16;
constexpr std::size_t nameTableField = 18;
constexpr std::size_t partTableField = 22;
constexpr std::size_t partDataField = 26;
constexpr std::size_t stringBaseField = 38;

// The file position of part i's record.
inline std::size_t recordAt(const std::vector<std::uint8_t>& bytes, std::size_t i) {
    return get32(bytes, partDataField) + get16(bytes, get32(bytes, partTableField) + 2 * i);
}
// The file position of part i's name.
inline std::size_t nameAt(const std::vector<std::uint8_t>& bytes, std::size_t i) {
    return get32(bytes, stringBaseField) + get32(bytes, get32(bytes, nameTableField) + 4 * i);
}

// A part library with instances placed by the test and library files
// written into a directory of its own.
class LibraryTest : public ::testing::Test {
  protected:
    // One instance per name, in order, of block 0 and without a shown name.
    void use(std::initializer_list<const char*> libNames) {
        for (const char* libName : libNames)
            library.instances().addPartInstance(8, 1000, 500, "U1", 0, 0, "", libName);
    }
    std::string save(const std::vector<std::uint8_t>& bytes,
                     const std::string& name = "parts.lib") {
        dir.write(name, bytes);
        return dir.file(name);
    }
    void read(const writers::LibraryWriter& writer, const std::string& name = "parts.lib") {
        library.readLibrary(save(writer.bytes(), name).c_str());
    }
    // The fatal message that reading the bytes ends with, or "" when none.
    std::string failure(const std::vector<std::uint8_t>& bytes) {
        try {
            library.readLibrary(save(bytes).c_str());
        } catch (const FatalError& error) {
            return error.what();
        }
        return "";
    }
    std::vector<std::string> loadedNames() const {
        std::vector<std::string> names;
        for (std::uint32_t i = 0; i < library.libPartCount(); ++i)
            names.push_back(library.libPart(i).name);
        return names;
    }

    MessageCapture messages;
    AllocPool pool;
    PartLibrary library{pool};
    TempDir dir;
};

} // namespace dovla::testing
