#include "command_output.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "driver/platform.h"
#include "memory_reserve.h"
#include "sheettool.h"

namespace dovla::sheettool {

namespace {

namespace fs = std::filesystem;

bool writeStream(std::FILE* file, std::string_view bytes) {
    bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fflush(file) == 0 && written;
}

// A new file of this name, or nullptr when it exists or cannot be made.
std::FILE* createNew(const std::string& name) {
#ifdef _WIN32
    int fd =
        ::_open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::_fdopen(fd, "wb");
    if (file == nullptr) {
        ::_close(fd);
        std::remove(name.c_str());
    }
#else
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        std::remove(name.c_str());
    }
#endif
    return file;
}

bool replaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

// The temporary file that becomes the target; removed unless it took the
// target's place, also when the command is ended by exhausted memory.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& target) {
        for (int attempt = 1; attempt <= 100 && file_ == nullptr; ++attempt) {
            name_ = target + "." + std::to_string(attempt) + ".tmp";
            file_ = createNew(name_);
        }
        if (file_ != nullptr)
            setPendingOutput(&name_);
    }
    ~TemporaryFile() {
        setPendingOutput(nullptr);
        if (file_ != nullptr)
            std::fclose(file_);
        if (file_ != nullptr || !committed_)
            std::remove(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool opened() const { return file_ != nullptr; }

    bool commit(std::string_view bytes, const std::string& target) {
        bool written = writeStream(file_, bytes);
        written = std::fclose(file_) == 0 && written;
        file_ = nullptr;
        if (!written)
            return false;
        keepPermissions(target);
        committed_ = replaceFile(name_, target);
        return committed_;
    }

  private:
    // A file that is replaced keeps who may read and write it.
    void keepPermissions(const std::string& target) const {
        std::error_code error;
        fs::file_status status = fs::status(target, error);
        if (!error && fs::is_regular_file(status))
            fs::permissions(name_, status.permissions(), error);
    }

    std::string name_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

// Where a file named so is written whole or not at all: the name itself,
// or for a link the regular file it leads to. Empty for what is written
// directly: devices, pipes and links that lead nowhere.
std::string replaceableTarget(const std::string& name) {
    std::error_code error;
    fs::file_status status = fs::status(name, error);
    if (status.type() == fs::file_type::not_found)
        return fs::is_symlink(fs::symlink_status(name, error)) ? std::string() : name;
    if (error || !fs::is_regular_file(status))
        return std::string();
    if (!fs::is_symlink(fs::symlink_status(name, error)))
        return name;
    fs::path resolved = fs::canonical(name, error);
    return error ? std::string() : resolved.string();
}

bool writeDirectly(const std::string& name, std::string_view bytes) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = writeStream(file, bytes);
    return std::fclose(file) == 0 && written;
}

} // namespace

bool writeCommandOutput(const std::string& name, std::string_view bytes,
                        const std::vector<std::string>& inputs) {
    if (name.empty() || name == "-") {
        return writeStream(stdout, bytes) || refuse("can't write the output");
    }
    for (const std::string& input : inputs) {
        if (platform::isSameRegularFile(name.c_str(), input.c_str()))
            return refuse("can't write: " + name + " is an input");
    }
    std::string target = replaceableTarget(name);
    if (target.empty())
        return writeDirectly(name, bytes) || refuse("can't write: " + name);
    TemporaryFile temporary(target);
    if (!temporary.opened() || !temporary.commit(bytes, target))
        return refuse("can't write: " + name);
    return true;
}

} // namespace dovla::sheettool
