#include "command_output.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
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

// The permissions of the file a temporary file is to replace, or of a new
// file when there is none.
struct Permissions {
    bool kept = false; // of a target: exactly its own, whatever the umask
    unsigned mode = 0666;
};

Permissions permissionsOf(const std::string& target) {
    struct stat status;
    if (::stat(target.c_str(), &status) != 0)
        return {};
    return {true, static_cast<unsigned>(status.st_mode) & 0777u};
}

// A new file of this name with these permissions before any byte is in
// it, or nullptr when it exists or cannot be made.
std::FILE* createNew(const std::string& name, Permissions permissions) {
#ifdef _WIN32
    (void)permissions;
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
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, permissions.mode);
    if (fd < 0)
        return nullptr;
    std::FILE* file = nullptr;
    if (!permissions.kept || ::fchmod(fd, permissions.mode) == 0)
        file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        int error = errno;
        ::close(fd);
        std::remove(name.c_str());
        // Not a file that cannot be made: memory that cannot be had.
        if (error == ENOMEM)
            throw std::bad_alloc();
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

// Whether the user may write a file that is there: shell redirection would
// refuse one that is not writable, and so does a command.
bool mayWrite(const std::string& name) {
#ifdef _WIN32
    return ::_access(name.c_str(), 2) == 0;
#else
    return ::access(name.c_str(), W_OK) == 0;
#endif
}

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

bool writeDirectly(const std::string& name, const CommandOutputs::Writer& write) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = write(file);
    return std::fclose(file) == 0 && written;
}

} // namespace

// One output of a command: written directly at the commit, or written now
// into a temporary file that takes the target's place at the commit; the
// temporary file is removed unless it did, also when the command is ended
// by exhausted memory.
class CommandOutputs::Pending {
  public:
    Pending(std::string name, std::string target, Writer write)
        : name_(std::move(name)), target_(std::move(target)), write_(std::move(write)) {}
    ~Pending() {
        if (!temporary_.empty() && !committed_)
            std::remove(temporary_.c_str());
    }
    Pending(const Pending&) = delete;
    Pending& operator=(const Pending&) = delete;

    bool direct() const { return target_.empty(); }

    // Writes the temporary file whole.
    bool prepare() {
        Permissions permissions = permissionsOf(target_);
        std::FILE* file = nullptr;
        for (int attempt = 1; attempt <= 100 && file == nullptr; ++attempt) {
            temporary_ = target_ + "." + std::to_string(attempt) + ".tmp";
            file = createNew(temporary_, permissions);
        }
        if (file == nullptr) {
            temporary_.clear();
            return false;
        }
        registered_.emplace(temporary_);
        bool written = write_(file);
        return std::fclose(file) == 0 && written;
    }

    bool commit() {
        if (direct())
            return name_ == "-" ? write_(stdout) : writeDirectly(name_, write_);
        committed_ = replaceFile(temporary_, target_);
        return committed_;
    }

    const std::string& name() const { return name_; }

  private:
    std::string name_;   // as the user gave it; "-" for the standard output
    std::string target_; // the file replaced; empty: written directly
    Writer write_;
    std::string temporary_;
    std::optional<PendingOutput> registered_;
    bool committed_ = false;
};

CommandOutputs::CommandOutputs() = default;
CommandOutputs::~CommandOutputs() = default;

bool CommandOutputs::add(const std::string& name, std::string_view bytes,
                         const std::vector<std::string>& inputs) {
    return add(
        name, [bytes](std::FILE* file) { return writeStream(file, bytes); }, inputs);
}

bool CommandOutputs::add(const std::string& name, Writer write,
                         const std::vector<std::string>& inputs) {
    if (name.empty() || name == "-") {
        pending_.push_back(std::make_unique<Pending>("-", "", std::move(write)));
        return true;
    }
    for (const std::string& input : inputs) {
        if (platform::isSameRegularFile(name.c_str(), input.c_str()))
            return refuse("can't write: " + name + " is an input");
    }
    std::string target = replaceableTarget(name);
    std::error_code error;
    if (!target.empty() && fs::exists(target, error) && !mayWrite(target))
        return refuse("can't write: " + name);
    pending_.push_back(std::make_unique<Pending>(name, target, std::move(write)));
    Pending& output = *pending_.back();
    return output.direct() || output.prepare() || refuse("can't write: " + name);
}

bool CommandOutputs::commit() {
    for (const auto& output : pending_) {
        if (output->direct() && !output->commit())
            return refuse(output->name() == "-" ? "can't write the output"
                                                : "can't write: " + output->name());
    }
    // A file that cannot take its place after others did leaves the
    // outputs mixed: the message says which are new and which are not.
    std::string replaced, kept;
    const Pending* failed = nullptr;
    for (const auto& output : pending_) {
        if (output->direct())
            continue;
        if (failed == nullptr && output->commit())
            replaced += (replaced.empty() ? "" : ", ") + output->name();
        else if (failed == nullptr)
            failed = output.get();
        else
            kept += (kept.empty() ? "" : ", ") + output->name();
    }
    if (failed == nullptr)
        return true;
    return refuse("can't write: " + failed->name() +
                  (replaced.empty() ? "" : "; written: " + replaced) +
                  (kept.empty() ? "" : "; not written: " + kept));
}

bool writeCommandOutput(const std::string& name, std::string_view bytes,
                        const std::vector<std::string>& inputs) {
    CommandOutputs outputs;
    return outputs.add(name, bytes, inputs) && outputs.commit();
}

bool writeCommandOutput(const std::string& name, CommandOutputs::Writer write,
                        const std::vector<std::string>& inputs) {
    CommandOutputs outputs;
    return outputs.add(name, std::move(write), inputs) && outputs.commit();
}

} // namespace dovla::sheettool
