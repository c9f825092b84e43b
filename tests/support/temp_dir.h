#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dovla::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& text) const;
    void write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

  private:
    std::string path_;
};

std::string readFile(const std::string& path);

} // namespace dovla::testing
