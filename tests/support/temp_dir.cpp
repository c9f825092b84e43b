#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace dovla::testing {

TempDir::TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("dovla32-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, const std::string& text) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out << text;
}

void TempDir::write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TempDir::read(const std::string& name) const {
    return readFile(file(name));
}

bool TempDir::exists(const std::string& name) const {
    return std::filesystem::exists(file(name));
}

} // namespace dovla::testing
