#include "revision_files.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <system_error>

#include "configuration_lookup.h"
#include "driver/library_list.h"
#include "library/library_file.h"
#include "sheet/sheet_format.h"
#include "sheettool.h"

namespace dovla::sheettool {

namespace fs = std::filesystem;

namespace {

// A folder only this run uses, in the system's temporary folder.
fs::path newFolder() {
    std::random_device random;
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    for (int attempt = 0; attempt < 100 && !error; ++attempt) {
        fs::path folder = temporary / ("sheettool-diff-" + std::to_string(random()));
        if (fs::create_directory(folder, error)) {
            fs::permissions(folder, fs::perms::owner_all, error);
            return folder;
        }
    }
    return {};
}

// A path from the top folder without "." and "..": empty when it leaves
// the repository.
std::string normalised(const fs::path& path) {
    fs::path out;
    for (const fs::path& part : path.lexically_normal()) {
        if (part == "..")
            return "";
        if (part != "." && !part.empty())
            out /= part;
    }
    return out.generic_string();
}

} // namespace

RevisionFiles::RevisionFiles(const GitRepository& repository, std::string revision)
    : repository_(repository), revision_(std::move(revision)) {
    repository_.files(revision_, files_);
    std::sort(files_.begin(), files_.end());
}

RevisionFiles::~RevisionFiles() {
    std::error_code error;
    if (!folder_.empty())
        fs::remove_all(folder_, error);
}

std::string RevisionFiles::name() const {
    return revision_.empty() ? "work tree" : revision_;
}

bool RevisionFiles::has(const std::string& path) const {
    return std::binary_search(files_.begin(), files_.end(), path);
}

bool RevisionFiles::isSheet(const std::string& path) const {
    std::string bytes;
    if (!has(path) || !repository_.read(revision_, path, bytes))
        return false;
    if (bytes.compare(0, libraryformat::magicLength, libraryformat::magic) == 0)
        return false;
    return bytes.find(std::string(sheetformat::sheetMagic, sheetformat::sheetMagicLength)) !=
           std::string::npos;
}

bool RevisionFiles::place(const std::string& path, std::string& local) {
    if (revision_.empty()) {
        local = (fs::path(repository_.top()) / path).string();
        inputs_.push_back(local);
        return true;
    }
    if (folder_.empty() && (folder_ = newFolder()).empty())
        return refuse("--git: can't make a temporary folder");
    std::string bytes;
    if (!repository_.read(revision_, path, bytes))
        return refuse("--git: can't read " + path + " at " + revision_);
    fs::path target = folder_ / fs::path(path);
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    std::FILE* file = std::fopen(target.string().c_str(), "wb");
    bool written =
        file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr)
        written = std::fclose(file) == 0 && written;
    if (!written)
        return refuse("--git: can't write " + target.string());
    local = target.string();
    return true;
}

// Each library the configuration names by a path in the repository is
// taken from the revision too; one named by an absolute path is read
// where it is.
bool RevisionFiles::placeLibraries(const std::string& configuration, const std::string& local) {
    std::vector<std::string> names;
    LibraryList list;
    list.readLibraryListFrom(local, [&](const std::string& name) {
        names.push_back(name);
        return name;
    });
    const fs::path folder = fs::path(configuration).parent_path();
    for (const std::string& name : names) {
        if (name.empty() || !fs::path(name).is_relative())
            continue;
        std::string path = normalised(folder / name);
        std::string placed;
        if (!path.empty() && has(path) && !place(path, placed))
            return false;
    }
    return true;
}

bool RevisionFiles::prepare(const std::string& path, std::string& sheet, model::Options& options) {
    if (!place(path, sheet))
        return false;
    if (options.noLibraries || !options.configuration.empty())
        return true;
    const std::string folder = fs::path(path).parent_path().generic_string();
    for (const std::string& candidate :
         {normalised(fs::path(repository_.prefix()) / "TAVEL.INI"),
          normalised(fs::path(folder) / "TAVEL.INI"), std::string("TAVEL.INI")}) {
        std::string local;
        if (!has(candidate))
            continue;
        if (!place(candidate, local) || (!revision_.empty() && !placeLibraries(candidate, local)))
            return false;
        options.configuration = local;
        return true;
    }
    return chooseConfiguration({sheet}, options);
}

} // namespace dovla::sheettool
